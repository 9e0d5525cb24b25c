#pragma once
#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <array>
#include <memory>

#include "chrome/WindowParts.h"

class QMdiSubWindow;
class QWidget;

// The outside handler of a window's caption buttons: it adds them and takes their clicks.
class WINDOWCAPTIONBUTTONS {
public:
    virtual ~WINDOWCAPTIONBUTTONS() = default;
    virtual void ADDBUTTONS() = 0;
    virtual void BUTTONCLICKEDON(long button) = 0;
};

// Up to eight image buttons in the title bar of an MDI child window, left of its own buttons,
// pressed while the mouse is held on them and reported when it is let go there. Qt draws
// MDI title bars itself, so only such windows take them.
class Merivox_WCB_Class : public QObject {
    Q_OBJECT
public:
    struct TSBRWCB {
        bool PRESSED = false;
        QIcon HIMAGE;
        int IMAGETYPE = 0; // 0 bitmap, 1 icon
        int RIGHTBORDER = 0;
        int NOTIFYCODE = 1124;
        int WIDTH = 16, HEIGHT = 16;
    };

    Merivox_WCB_Class();
    ~Merivox_WCB_Class() override;

    // 0 (after the message) for a window that is not an MDI child.
    int INIT(QWidget* window);
    void ADDITEM(QWidget* window, WINDOWCAPTIONBUTTONS* handler);
    virtual void ADDBUTTONS();
    virtual void BUTTONCLICKEDON(long button);
    // 0 before INIT, for an unknown image type, an image that cannot be loaded or a ninth button.
    int ADDBUTTON(const QString& image, long rightBorder);
    int KILL();

    // Images by resource name ("MY_ICO"); without them no button gets an image.
    void setIcons(std::unique_ptr<IconSource> icons) { m_icons = std::move(icons); }

    // The name an image is looked up by: cut to 80, its first "~" dropped, its first "." as "_".
    static QString imageName(const QString& image);
    // Button n's rectangle (1..BUTTONCNT) in the window, left of the title bar's own buttons
    // that start at `systemLeft`.
    QRect buttonRect(int n, int systemLeft, int top, int size) const;
    QRect buttonRect(int n) const;

    bool INITDONE = false;
    int ACTIVEBUTTON = 0;
    int BUTTONCNT = 0;
    bool MOUSEDOWN = false;
    std::array<TSBRWCB, 8> BUTTONS;

signals:
    // A diagnostic line; with nothing connected the lines go to stderr.
    void trace(const QString& line);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void TRACE(const QString& text);
    int hit(const QPoint& p) const;
    void paintButtons();

    QPointer<QMdiSubWindow> m_window;
    WINDOWCAPTIONBUTTONS* WCB = nullptr;
    std::unique_ptr<IconSource> m_icons;
};
