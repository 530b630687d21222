#include "framework/Application.h"

#include "framework/Document.h"
#include "framework/DocumentTemplate.h"
#include "framework/TabbedMainFrame.h"
#include "framework_resource.h"

#include <ole2.h>

#include <climits>

namespace movalent {

namespace {

Application* g_application = nullptr;

constexpr wchar_t kWorkspaceSection[] = L"Workspace";
constexpr wchar_t kPlacementLeft[] = L"WindowLeft";
constexpr wchar_t kPlacementTop[] = L"WindowTop";
constexpr wchar_t kPlacementRight[] = L"WindowRight";
constexpr wchar_t kPlacementBottom[] = L"WindowBottom";
constexpr wchar_t kPlacementShow[] = L"WindowShowCommand";

} // namespace

Application::Application() {
    g_application = this;
    BindToCurrentThread();
    SetAutoDelete(false);
    OnCommand(ID_EXIT_PROGRAM, [this] {
        if (Window* main = MainWindow(); main && main->Handle())
            main->Send(WM_CLOSE);
    });
}

Application::~Application() {
    templates_.clear();
    if (g_application == this)
        g_application = nullptr;
}

Application* Application::Current() { return g_application; }

int Application::RunApplication(HINSTANCE instance, int showCommand) {
    instance_ = instance;
    showCommand_ = showCommand;
    if (!InitInstance())
        return ExitInstance();
    return Run();
}

bool Application::InitializeOle() {
    if (!oleInitialized_)
        oleInitialized_ = SUCCEEDED(::OleInitialize(nullptr));
    return oleInitialized_;
}

int Application::ExitInstance() {
    // Templates go while OLE still works: a document may hold an interface to release.
    CloseAllDocuments(true);
    if (oleInitialized_) {
        ::OleUninitialize();
        oleInitialized_ = false;
    }
    return UiThread::ExitInstance();
}

void Application::SetRegistryKey(const std::wstring& company, const std::wstring& application) {
    profile_ = std::make_unique<Profile>(company, application);
}

int Application::GetWorkspaceInt(const std::wstring& name, int defaultValue) const {
    return profile_ ? profile_->GetInt(kWorkspaceSection, name, defaultValue) : defaultValue;
}

bool Application::WriteWorkspaceInt(const std::wstring& name, int value) const {
    return profile_ && profile_->WriteInt(kWorkspaceSection, name, value);
}

bool Application::LoadWindowPlacement(WINDOWPLACEMENT& placement) const {
    if (!profile_)
        return false;
    constexpr int kAbsent = INT_MIN;
    RECT rect = {GetWorkspaceInt(kPlacementLeft, kAbsent), GetWorkspaceInt(kPlacementTop, kAbsent),
                 GetWorkspaceInt(kPlacementRight, kAbsent), GetWorkspaceInt(kPlacementBottom, kAbsent)};
    int show = GetWorkspaceInt(kPlacementShow, SW_SHOWNORMAL);
    if (rect.left == kAbsent || rect.top == kAbsent || rect.right == kAbsent || rect.bottom == kAbsent)
        return false;
    // A rectangle too small to use, or entirely off every monitor, is not restored.
    if (rect.right - rect.left < 100 || rect.bottom - rect.top < 100 ||
        !::MonitorFromRect(&rect, MONITOR_DEFAULTTONULL))
        return false;
    placement = {};
    placement.length = sizeof(placement);
    placement.rcNormalPosition = rect;
    placement.showCmd = show == SW_SHOWMAXIMIZED ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
    return true;
}

void Application::StoreWindowPlacement(const WINDOWPLACEMENT& placement) const {
    const RECT& rect = placement.rcNormalPosition;
    WriteWorkspaceInt(kPlacementLeft, rect.left);
    WriteWorkspaceInt(kPlacementTop, rect.top);
    WriteWorkspaceInt(kPlacementRight, rect.right);
    WriteWorkspaceInt(kPlacementBottom, rect.bottom);
    WriteWorkspaceInt(kPlacementShow,
                      static_cast<int>(placement.showCmd == SW_SHOWMAXIMIZED ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL));
}

DocumentTemplate* Application::AddDocTemplate(std::unique_ptr<DocumentTemplate> docTemplate) {
    templates_.push_back(std::move(docTemplate));
    return templates_.back().get();
}

std::vector<Document*> Application::Documents() const {
    std::vector<Document*> documents;
    for (const auto& docTemplate : templates_)
        for (Document* document : docTemplate->Documents())
            documents.push_back(document);
    return documents;
}

size_t Application::DocumentCount() const {
    size_t count = 0;
    for (const auto& docTemplate : templates_)
        count += docTemplate->Documents().size();
    return count;
}

void Application::CloseAllDocuments(bool endSession) {
    for (const auto& docTemplate : templates_)
        docTemplate->CloseAllDocuments(endSession);
}

bool Application::OnIdle(long count) {
    if (count == 0)
        if (auto* frame = dynamic_cast<TabbedMainFrame*>(MainWindow()); frame && frame->Handle())
            frame->UpdateCommandStates();
    return false;
}

} // namespace movalent
