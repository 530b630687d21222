#include "framework/ChildFrame.h"

#include "framework/Document.h"
#include "framework/DocumentTemplate.h"
#include "framework/TabbedMainFrame.h"
#include "framework/View.h"
#include "framework_resource.h"

namespace movalent {

namespace {

constexpr wchar_t kChildFrameClass[] = L"MovalentTab";
constexpr UINT kFirstPaneId = 0xE900; // the view's control id inside its frame

} // namespace

ChildFrame::ChildFrame() {
    // Closes this tab's document; posted, because the handler must not destroy the window that is
    // dispatching.
    OnCommand(ID_CLOSE_DOCUMENT, [this] { Post(WM_CLOSE); });
}

ChildFrame::~ChildFrame() = default;

bool ChildFrame::LoadFrame(TabbedMainFrame& mainFrame, const CreateContext& context) {
    if (!RegisterWindowClass(kChildFrameClass, CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW), nullptr))
        return false;
    mainFrame_ = &mainFrame;
    template_ = context.docTemplate;
    creating_ = &context;
    RECT area = mainFrame.TabArea();
    MDICREATESTRUCTW create = {};
    create.szClass = kChildFrameClass;
    create.szTitle = L"";
    create.hOwner = ResourceInstance();
    create.x = 0;
    create.y = 0;
    create.cx = area.right - area.left;
    create.cy = area.bottom - area.top;
    create.style = WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    ExpectCreation();
    auto hwnd = reinterpret_cast<HWND>(
        ::SendMessageW(mainFrame.MdiClient(), WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&create)));
    creating_ = nullptr;
    if (!hwnd || hwnd != Handle())
        return false;
    ownedByWindow_ = true;
    mainFrame.OnTabCreated(this);
    return true;
}

int ChildFrame::OnCreate() {
    if (!creating_ || !creating_->document || !creating_->viewFactory)
        return -1;
    View* view = creating_->viewFactory();
    if (!view)
        return -1;
    if (!view->CreateView(*this, kFirstPaneId)) {
        delete view;
        return -1;
    }
    view_ = view;
    creating_->document->AddView(view);
    return 0;
}

void ChildFrame::InitialUpdateFrame(Document* document, bool makeVisible) {
    if (view_)
        view_->OnInitialUpdate();
    if (makeVisible)
        ActivateFrame();
    if (document)
        document->UpdateFrameCounts();
}

Document* ChildFrame::ActiveDocument() const {
    return view_ ? view_->GetDocument() : nullptr;
}

HICON ChildFrame::TabIcon() const {
    return template_ ? template_->SmallIcon() : nullptr;
}

void ChildFrame::ActivateFrame() {
    if (mainFrame_ && Handle())
        mainFrame_->ActivateTab(this);
}

void ChildFrame::OnUpdateFrameTitle() {
    Document* document = ActiveDocument();
    std::wstring title = document ? document->Title() : std::wstring();
    if (Text() != title)
        SetText(title);
    if (mainFrame_)
        mainFrame_->OnTabChanged(this);
}

bool ChildFrame::DestroyWindow() {
    if (!Handle())
        return false;
    HWND client = ::GetParent(Handle());
    TabbedMainFrame* mainFrame = mainFrame_;
    if (view_)
        view_->OnFrameClosing();
    // Through the MDI client, which then stops counting the window as its active child.
    ::SendMessageW(client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(Handle()), 0);
    // This object is gone now.
    if (mainFrame)
        mainFrame->EnsureActiveTab();
    return true;
}

void ChildFrame::AppendRoute(std::vector<CommandTarget*>& route) {
    if (view_)
        view_->AppendRoute(route);
    route.push_back(this);
}

void ChildFrame::OnClose() {
    Document* document = ActiveDocument();
    if (document) {
        // The last frame of a document closes the document, which destroys the frame.
        bool onlyFrame = true;
        for (View* view : document->Views())
            if (view->ParentFrame() != this)
                onlyFrame = false;
        if (onlyFrame) {
            if (document->CanCloseFrame(this))
                document->OnCloseDocument();
            return;
        }
    }
    DestroyWindow();
}

void ChildFrame::LayoutView() {
    if (view_ && view_->Handle())
        view_->MoveTo(ClientRect());
}

LRESULT ChildFrame::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: {
        LRESULT result = Default();
        if (result == -1)
            return -1;
        return OnCreate();
    }
    case WM_SIZE: {
        LRESULT result = Default();
        LayoutView();
        return result;
    }
    case WM_CLOSE:
        OnClose();
        return 0;
    case WM_MDIACTIVATE: {
        LRESULT result = Default();
        HWND self = Handle();
        bool activated = reinterpret_cast<HWND>(lParam) == self;
        if (activated && mainFrame_)
            mainFrame_->OnTabActivated(this);
        if (view_ && (activated || reinterpret_cast<HWND>(wParam) == self))
            view_->OnActivateView(activated);
        return result;
    }
    case WM_SETFOCUS: {
        LRESULT result = Default();
        if (view_ && view_->Handle())
            ::SetFocus(view_->Handle());
        return result;
    }
    case WM_DESTROY:
        if (mainFrame_)
            mainFrame_->OnTabDestroyed(this);
        return Default();
    default:
        return Window::WindowProc(message, wParam, lParam);
    }
}

LRESULT ChildFrame::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefMDIChildProcW(Handle(), message, wParam, lParam);
}

void ChildFrame::PostNcDestroy() {
    if (ownedByWindow_)
        delete this;
}

} // namespace movalent
