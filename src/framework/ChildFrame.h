#pragma once
// A child frame: one tab of the tabbed main frame. It is an MDI child without caption or border, sized to the MDI
// client, holding the document's view. Its window text is the tab caption, the document title, so anything that
// reads the window's text (tests, accessibility) reads the caption.
#include "framework/Window.h"

#include <functional>

namespace movalent {

class Document;
class DocumentTemplate;
class TabbedMainFrame;
class View;

class ChildFrame : public Window {
public:
    struct CreateContext {
        Document* document = nullptr;
        DocumentTemplate* docTemplate = nullptr;
        std::function<View*()> viewFactory;
    };

    ChildFrame();
    ~ChildFrame() override;

    // Creates the hidden MDI child and its view, which joins the document. False when either cannot be made; the
    // caller still owns the object then.
    bool LoadFrame(TabbedMainFrame& mainFrame, const CreateContext& context);
    // Initial update of the view, caption, and with makeVisible the frame becomes the active tab.
    void InitialUpdateFrame(Document* document, bool makeVisible);

    View* ActiveView() const { return view_; }
    Document* ActiveDocument() const;
    DocumentTemplate* Template() const { return template_; }
    TabbedMainFrame* MainFrame() const { return mainFrame_; }
    HICON TabIcon() const;

    // Shows the frame and makes it the active tab.
    void ActivateFrame();
    // Takes the document title as the window text.
    virtual void OnUpdateFrameTitle();

    bool DestroyWindow() override;
    void AppendRoute(std::vector<CommandTarget*>& route) override;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void PostNcDestroy() override;
    virtual void OnClose();

private:
    friend class View;
    int OnCreate();
    void LayoutView();

    TabbedMainFrame* mainFrame_ = nullptr;
    DocumentTemplate* template_ = nullptr;
    View* view_ = nullptr;
    const CreateContext* creating_ = nullptr;
    bool ownedByWindow_ = false;
};

} // namespace movalent
