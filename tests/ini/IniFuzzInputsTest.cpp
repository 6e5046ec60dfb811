// Replays the INI fuzz target's seeds and every input it once failed on, with
// the target's own checks, in the ordinary test build.
#include <stdexcept>
#include <string>

#if __has_include(<fuzzer/FuzzedDataProvider.h>)

#define FUZZ_CHECK(cond)                                                                           \
    do {                                                                                           \
        if (!(cond))                                                                               \
            throw std::runtime_error("line " + std::to_string(__LINE__) + ": " #cond);             \
    } while (0)
#include "../../fuzz/ini.cpp"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

void Replay(const char* folder)
{
    const std::filesystem::path dir = std::filesystem::path(KESTREL_SOURCE_DIR) / folder;
    ASSERT_TRUE(std::filesystem::is_directory(dir)) << dir;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        const std::string input = inifuzz::FileBytes(entry.path().string());
        try {
            LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(input.data()),
                                   input.size());
        } catch (const std::exception& e) {
            ADD_FAILURE() << entry.path().filename() << ": " << e.what();
        }
        if (profile::InTransaction())
            profile::RollbackTransaction();
        profile::SetDryRun(false);
    }
}

} // namespace

TEST(IniFuzzInputs, SeedsKeepTheInvariants)
{
    Replay("fuzz/seeds/ini");
}

TEST(IniFuzzInputs, InputsThatOnceFailedKeepTheInvariants)
{
    Replay("fuzz/regressions/ini");
}

#else
#include <gtest/gtest.h>

TEST(IniFuzzInputs, SeedsKeepTheInvariants)
{
    GTEST_SKIP() << "fuzzer/FuzzedDataProvider.h (clang) is not installed";
}
#endif
