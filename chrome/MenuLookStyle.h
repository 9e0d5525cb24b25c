#pragma once
#include <QProxyStyle>

class CFCMENUITEMDRAWCLASS;
class CFCMENUITEM;

// The style a chrome menu's widget draws with: entries whose painter draws them (the flat
// looks) are measured and drawn by it, with the popup's flat frame; the rest (the classic look)
// falls to the system style, which then shows the entry's icons. Popups open without
// animation: the application's tooltip manager switches the effects off while one is open.
class MenuLookStyle : public QProxyStyle {
    Q_OBJECT
public:
    explicit MenuLookStyle(CFCMENUITEMDRAWCLASS* painter);

    CFCMENUITEMDRAWCLASS* painter() const { return m_painter; }
    void setPainter(CFCMENUITEMDRAWCLASS* painter) { m_painter = painter; }
    // The entry an option of `widget` stands for (by the entry's place), null for none.
    static CFCMENUITEM* itemAt(const QWidget* widget, const QRect& rect);

    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr, const QWidget* widget = nullptr) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override;
    int styleHint(StyleHint hint, const QStyleOption* option = nullptr, const QWidget* widget = nullptr,
                  QStyleHintReturn* returnData = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;

private:
    bool flat() const;
    void paintPanel(QPainter* painter, const QRect& rect) const;

    CFCMENUITEMDRAWCLASS* m_painter;
};
