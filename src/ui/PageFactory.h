#pragma once

// Page classes by name, as the framework's run-time class information let the
// original create them. Each page registers itself in its .cpp with
// IMPLEMENT_PAGE; the main dialog creates pages by class name, so a page that
// is not built in simply leaves its tab empty.
#include <string>
#include <type_traits>
#include <vector>

class CDialog;
class QWidget;

// What a page is told at construction about the detector slot it stands in.
// Pages take what they keep of it; the others ignore it.
struct PageContext {
    int deviceId = 0;     // the device id that selected the page's class
    int slotPosition = 0; // 0 the only detector, 1 first of two (stand), 2 second of two (table)
    int slotIndex = 0;    // the slot index the main dialog gives the page's class: 0 or 1
};

// Constructs the page with its context and creates it inside parent.
using PageCreateFn = CDialog* (*)(QWidget* parent, const PageContext& context);

bool RegisterPageClass(const char* className, PageCreateFn create);
// Null when no class of that name is registered or its creation failed.
CDialog* CreatePageByName(const char* className, QWidget* parent,
                          const PageContext& context = PageContext());
bool IsPageClassRegistered(const char* className);
// Every registered class name, in name order.
std::vector<std::string> RegisteredPageClasses();
// Puts create in place of the class's creation; returns what was there (null if
// none). Tests use it to stand a small page in for a real one.
PageCreateFn ReplacePageClass(const char* className, PageCreateFn create);

// Constructs Page (with the context when its constructor takes one) and
// creates it inside parent; null (and the page deleted) when creation fails.
template <class Page> Page* CreatePage(QWidget* parent, const PageContext& context)
{
    Page* page = nullptr;
    if constexpr (std::is_constructible_v<Page, const PageContext&>)
        page = new Page(context);
    else
        page = new Page;
    if (!page->Create(parent)) {
        delete page;
        return nullptr;
    }
    return page;
}

// In the page's .cpp: IMPLEMENT_PAGE(CDetectorDrtech)
#define IMPLEMENT_PAGE(ClassName)                                                                  \
    namespace {                                                                                    \
    const bool registered##ClassName = RegisterPageClass(                                          \
        #ClassName, [](QWidget* parent, const PageContext& context) -> CDialog* {                  \
            return CreatePage<ClassName>(parent, context);                                         \
        });                                                                                        \
    }
