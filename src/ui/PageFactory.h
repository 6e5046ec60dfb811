#pragma once

// Page classes by name, as the framework's run-time class information let the
// original create them. Each page registers itself in its .cpp with
// IMPLEMENT_PAGE; the main dialog creates pages by class name, so a page that
// is not built in simply leaves its tab empty.
#include <string>
#include <vector>

class CDialog;
class QWidget;

// Constructs the page and runs its own creation operation. slotIndex is the
// second creation argument (ignored by one-argument classes); deviceId is set
// on the classes that keep one before creation.
using PageCreateFn = CDialog* (*)(QWidget* parent, int slotIndex, int deviceId);

bool RegisterPageClass(const char* className, PageCreateFn create);
// Null when no class of that name is registered or its creation failed.
CDialog* CreatePageByName(const char* className, QWidget* parent, int slotIndex = 0,
                          int deviceId = 0);
bool IsPageClassRegistered(const char* className);
// Every registered class name, in name order.
std::vector<std::string> RegisteredPageClasses();
// Puts create in place of the class's creation; returns what was there (null if
// none). Tests use it to stand a small page in for a real one.
PageCreateFn ReplacePageClass(const char* className, PageCreateFn create);

// Constructs Page and calls its creation operation with parent and args;
// null (and the page deleted) when creation fails.
template <class Page, class... Args> Page* CreateWith(QWidget* parent, Args... args)
{
    auto* page = new Page;
    if (!page->Create(parent, args...)) {
        delete page;
        return nullptr;
    }
    return page;
}

// Example, in DetectorDrtech.cpp:
//   IMPLEMENT_PAGE(CDetectorDrtech, CreateWith<CDetectorDrtech>(parent, slotIndex))
// parent, slotIndex and deviceId are in scope of the expression.
#define IMPLEMENT_PAGE(ClassName, createExpr)                                                      \
    namespace {                                                                                    \
    const bool registered##ClassName = RegisterPageClass(                                          \
        #ClassName, [](QWidget* parent, int slotIndex, int deviceId) -> CDialog* {                 \
            (void)parent;                                                                          \
            (void)slotIndex;                                                                       \
            (void)deviceId;                                                                        \
            return createExpr;                                                                     \
        });                                                                                        \
    }
