#pragma once
// The look of the popups the toolbar shows while its menu style is 0 or more: a proxy style
// put on each popup of the menu tree for as long as it is open (PopupStyleScope), painting
// entries, separators, the icon and check column, the shortcut column and the popup's frame
// in the toolbar's colours. The rules are in VorovevevMenuLook.h.
#include "chrome/VorovevevMenuLook.h"

#include <QPointer>
#include <QProxyStyle>

#include <functional>
#include <memory>
#include <vector>

class QMenu;
class QStyleOptionMenuItem;

namespace ptb {

// Whether a popup is being worked from the keyboard (greyed entries then show a frame).
class KeyboardMode {
public:
    virtual ~KeyboardMode() = default;
    virtual bool keyboardActive() const = 0;
};

struct PopupLook {
    int menuStyle = 2;
    long menuHeight = 23;
    ColorTable colors{};
    QFont font;
    QFont checkFont; // Marlett, 18 pixels
    // The toolbar's keyboard mode; once the toolbar is gone (or with none), not from the keyboard.
    std::weak_ptr<const KeyboardMode> keyboard;
};

class PopupStyle : public QProxyStyle {
    Q_OBJECT
public:
    explicit PopupStyle(PopupLook look);

    const PopupLook& look() const { return m_look; }
    // The shortcut column of a popup: the widest text after a tab (or shortcut) + 10; 0: none.
    long hotKeyX(const QMenu& menu) const;

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget = nullptr) const override;
    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;
    int styleHint(StyleHint hint, const QStyleOption* option = nullptr, const QWidget* widget = nullptr,
                  QStyleHintReturn* returnData = nullptr) const override;

private:
    void drawItem(const QStyleOptionMenuItem& o, QPainter* p, const QWidget* widget) const;
    PopupLook m_look;
};

// Puts a popup style on a menu and every submenu under it, and gives each its earlier style back
// when it ends.
class PopupStyleScope {
public:
    PopupStyleScope(QMenu& menu, PopupLook look);
    ~PopupStyleScope();
    PopupStyleScope(const PopupStyleScope&) = delete;
    PopupStyleScope& operator=(const PopupStyleScope&) = delete;
    PopupStyle* style() const { return m_style.get(); }

private:
    void apply(QMenu& menu, int depth);
    std::unique_ptr<PopupStyle> m_style;
    struct Earlier {
        QPointer<QMenu> menu;
        QStyle* style = nullptr; // null: the application's
    };
    std::vector<Earlier> m_earlier;
};

} // namespace ptb
