#pragma once
// The application object: the main thread's UiThread, owner of the document templates, the per-user profile and
// the main window pointer. One per process; the program derives its own class from it.
#include "framework/Profile.h"
#include "framework/UiThread.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace movalent {

class Document;
class DocumentTemplate;

class Application : public UiThread {
public:
    Application();
    ~Application() override;

    static Application* Current();

    // The process's life: InitInstance; on success the message loop, which ends with ExitInstance; on failure
    // ExitInstance at once. Returns the process exit code.
    int RunApplication(HINSTANCE instance, int showCommand);
    HINSTANCE Instance() const { return instance_; }
    int ShowCommand() const { return showCommand_; }

    // OLE for the main thread; terminated by ExitInstance.
    bool InitializeOle();

    // Per-user settings live under HKEY_CURRENT_USER\Software\<company>\<application>.
    void SetRegistryKey(const std::wstring& company, const std::wstring& application);
    const Profile* GetProfile() const { return profile_.get(); }
    // The workspace section holds what the windows remember of themselves (placement, look).
    int GetWorkspaceInt(const std::wstring& name, int defaultValue) const;
    bool WriteWorkspaceInt(const std::wstring& name, int value) const;
    bool LoadWindowPlacement(WINDOWPLACEMENT& placement) const;
    void StoreWindowPlacement(const WINDOWPLACEMENT& placement) const;

    // Templates are kept in registration order, which is the order every walk over them follows.
    DocumentTemplate* AddDocTemplate(std::unique_ptr<DocumentTemplate> docTemplate);
    const std::vector<std::unique_ptr<DocumentTemplate>>& DocTemplates() const { return templates_; }
    std::vector<Document*> Documents() const;
    size_t DocumentCount() const;
    void CloseAllDocuments(bool endSession);

    int ExitInstance() override;
    bool OnIdle(long count) override;

private:
    HINSTANCE instance_ = nullptr;
    int showCommand_ = SW_SHOWNORMAL;
    bool oleInitialized_ = false;
    std::unique_ptr<Profile> profile_;
    std::vector<std::unique_ptr<DocumentTemplate>> templates_;
};

} // namespace movalent
