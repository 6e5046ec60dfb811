#include "ui/RunMode.h"

namespace ui {
namespace {
RunMode* g_mode = nullptr;
} // namespace

RunMode* ActiveRunMode()
{
    return g_mode;
}

RunModeScope::RunModeScope(RunMode& mode) : m_previous(g_mode)
{
    g_mode = &mode;
}

RunModeScope::~RunModeScope()
{
    g_mode = m_previous;
}

} // namespace ui
