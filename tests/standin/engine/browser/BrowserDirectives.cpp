// What a page's directives make the control do: the acts of script the stand-in imitates.
#include "standin/engine/browser/BrowserControl.h"

namespace movalent::standin {

void CBrowserControl::OnDirective(unsigned n, size_t index) {
    if (!IsCurrent(n) || index >= page_.top.directives.size())
        return;
    const PageDirective directive = page_.top.directives[index];
    if (directive.name == L"new-window")
        OpenNewWindow(directive.argument);
    else if (directive.name == L"close")
        ClosePage();
    else if (directive.name == L"hang")
        Hang();
    else if (directive.name == L"external")
        CallExternal(directive.argument);
    else if (directive.name == L"contextmenu")
        ShowHostContextMenu();
    else if (directive.name == L"end-thread")
        ::ExitThread(0); // as a fault in engine code ends the thread it runs on, without the host's clean-up
}

void CBrowserControl::OpenNewWindow(const std::wstring& argument) {
    const std::wstring url = ParseAddress(ResolveReference(page_.top.url, argument)).url;
    NewWindowAnswer answer = events_.NewWindow(url, page_.top.url);
    newWindowUrl_ = url;
    newWindowHandledBy_ = answer.handledBy;
    PageChanged();
    ComPtr<IWebBrowser2> browser;
    if (answer.browser && SUCCEEDED(answer.browser.As(browser)) && browser) {
        UniqueBstr target(::SysAllocStringLen(url.data(), static_cast<UINT>(url.size())));
        browser->Navigate(target.get(), nullptr, nullptr, nullptr, nullptr);
    }
}

// window.close in a page: the host may refuse; otherwise the control takes its own window down, which is how
// its host learns of it.
void CBrowserControl::ClosePage() {
    const bool cancel = events_.WindowClosing(false);
    if (closed_)
        return;
    closeAnswer_ = cancel ? L"cancelled" : L"done";
    if (cancel) {
        PageChanged();
        return;
    }
    closed_ = true;
    ++navigation_;
    pending_.reset();
    refreshing_ = false;
    PageChanged();
    DestroyPageWindow();
}

void CBrowserControl::Hang() {
    hanging_ = true;
    SetStatus(L"A script on this page does not return");
    PageChanged();
    if (pageWindow_ != nullptr)
        ::UpdateWindow(pageWindow_);
    // Like a script in an endless loop: the thread is busy for good and pumps no messages.
    volatile unsigned long spins = 0;
    for (;;)
        spins = spins + 1;
}

} // namespace movalent::standin
