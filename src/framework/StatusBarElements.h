#pragma once
// The elements a status bar is made of: text panes, a progress bar and a slider with zoom buttons. Each is a
// child window (or a few) of the bar that carries the element's id, so its state can be read like any
// control's: a pane's text by WM_GETTEXT, the progress bar and the slider by their control messages.
#include "framework/DpiScale.h"

#include <windows.h>

#include <string>

namespace movalent {

class StatusBarElement {
public:
    enum class Kind { Pane, ProgressBar, Slider };

    StatusBarElement(Kind kind, UINT id, std::wstring label)
        : kind_(kind), id_(id), label_(std::move(label)) {}
    StatusBarElement(const StatusBarElement&) = delete;
    StatusBarElement& operator=(const StatusBarElement&) = delete;
    // The windows belong to the bar and go with it.
    virtual ~StatusBarElement() = default;

    Kind GetKind() const { return kind_; }
    UINT Id() const { return id_; }
    // The name the configuration menu gives the element.
    const std::wstring& Label() const { return label_; }
    HWND Handle() const { return hwnd_; }

    // What the element shows as text; empty for elements that show none.
    virtual std::wstring Text() const { return L""; }

    // Whether the user wants the element; whether it is on screen also depends on the room and, for ordinary
    // elements, on the bar's information text.
    bool Visible() const { return visible_; }
    void SetVisible(bool visible) { visible_ = visible; }

    // The width the element asks for, measured with the bar's font selected into dc; the height it uses.
    virtual int Width(HDC dc) const = 0;
    virtual int Height(int barHeight) const { return barHeight; }
    // Takes the element's windows to rect and shows them, or hides them.
    virtual void Place(const RECT& rect, bool show);
    virtual void Enable(bool enabled);
    // Whether the element reports the user's clicks or moves to the frame as its command.
    virtual bool SendsCommand() const { return false; }
    virtual void SetFont(HFONT font);
    // The bar's pixel density: the sizes an element is given are designed at 96 dots per inch.
    void SetDpi(int dpi) { dpi_ = dpi; }

protected:
    int Px(int designPixels) const { return ScaleForDpi(designPixels, dpi_); }

    HWND hwnd_ = nullptr;

private:
    Kind kind_;
    UINT id_;
    std::wstring label_;
    bool visible_ = true;
    int dpi_ = kDesignDpi;
};

class StatusBarPane : public StatusBarElement {
public:
    struct Options {
        // Clickable panes send their id as a command; static ones only show text.
        bool clickable = false;
        // The pane keeps room for this text whatever it shows; empty: the room of its current text.
        std::wstring widthText;
        // Takes the room the other ordinary elements leave.
        bool stretch = false;
    };

    StatusBarPane(UINT id, std::wstring label, Options options)
        : StatusBarElement(Kind::Pane, id, std::move(label)), options_(std::move(options)) {}
    bool Create(HWND bar, const std::wstring& text);

    std::wstring Text() const override;
    void SetText(const std::wstring& text, bool redraw = true);
    int Width(HDC dc) const override;
    bool SendsCommand() const override { return options_.clickable; }
    bool Stretches() const { return options_.stretch; }

private:
    Options options_;
};

class StatusBarProgressBar : public StatusBarElement {
public:
    StatusBarProgressBar(UINT id, std::wstring label, int width, int height)
        : StatusBarElement(Kind::ProgressBar, id, std::move(label)), width_(width), height_(height) {}
    bool Create(HWND bar);

    void SetRange(int minimum, int maximum);
    void SetPos(int position, bool redraw = true);
    int Pos() const;
    int Width(HDC) const override { return Px(width_); }
    int Height(int barHeight) const override { return Px(height_) < barHeight ? Px(height_) : barHeight; }

private:
    int width_;
    int height_;
};

// A horizontal slider; with zoom buttons, a - button before it and a + button after it move it by the page
// size.
class StatusBarSlider : public StatusBarElement {
public:
    struct Options {
        int width = 100; // the slider's own track, without the buttons
        int minimum = 0;
        int maximum = 100;
        int pageSize = 10;
        int position = 0;
        bool zoomButtons = false;
    };

    StatusBarSlider(UINT id, std::wstring label, Options options)
        : StatusBarElement(Kind::Slider, id, std::move(label)), options_(options) {}
    bool Create(HWND bar);

    int Pos() const;
    // Moves the slider without telling anyone.
    void SetPos(int position, bool redraw = true);
    // A zoom button's move: by the page size towards the button's end, within the range.
    void Step(bool up);
    bool IsZoomButton(HWND hwnd) const { return hwnd && (hwnd == minus_ || hwnd == plus_); }
    bool IsPlusButton(HWND hwnd) const { return hwnd && hwnd == plus_; }
    // Null without zoom buttons.
    HWND MinusButton() const { return minus_; }
    HWND PlusButton() const { return plus_; }

    int Width(HDC dc) const override;
    int Height(int barHeight) const override;
    void Place(const RECT& rect, bool show) override;
    void Enable(bool enabled) override;
    bool SendsCommand() const override { return true; }
    void SetFont(HFONT font) override;

private:
    int ButtonWidth() const;

    Options options_;
    HWND minus_ = nullptr;
    HWND plus_ = nullptr;
};

} // namespace movalent
