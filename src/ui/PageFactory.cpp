#include "ui/PageFactory.h"

#include <map>
#include <string>

namespace {
std::map<std::string, PageCreateFn>& Registry()
{
    static std::map<std::string, PageCreateFn> registry;
    return registry;
}
} // namespace

bool RegisterPageClass(const char* className, PageCreateFn create)
{
    Registry()[className] = create;
    return true;
}

bool IsPageClassRegistered(const char* className) { return Registry().count(className) != 0; }

std::vector<std::string> RegisteredPageClasses()
{
    std::vector<std::string> names;
    for (const auto& entry : Registry())
        names.push_back(entry.first);
    return names;
}

CDialog* CreatePageByName(const char* className, QWidget* parent, const PageContext& context)
{
    const auto it = Registry().find(className);
    return it == Registry().end() ? nullptr : it->second(parent, context);
}

PageCreateFn ReplacePageClass(const char* className, PageCreateFn create)
{
    auto& registry = Registry();
    const auto it = registry.find(className);
    const PageCreateFn previous = it == registry.end() ? nullptr : it->second;
    if (create)
        registry[className] = create;
    else
        registry.erase(className);
    return previous;
}
