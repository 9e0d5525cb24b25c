#include "controls/ShortcutCaption.h"

namespace controls {

ShortcutCaption::ShortcutCaption(QWidget* parent) : QLabel(parent)
{
    setFont(QFont(QStringLiteral("Tahoma")));
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    restyle();
}

void ShortcutCaption::setCaption(const QString& caption)
{
    setText(caption);
}

void ShortcutCaption::setSubItemCaption(bool subItem)
{
    m_subItem = subItem;
    restyle();
}

void ShortcutCaption::restyle()
{
    setStyleSheet(m_subItem
        ? QStringLiteral("QLabel { color: #15428b; font-weight: bold; padding: 3px 8px;"
                         " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #e3efff,"
                         " stop:1 #afd2ff); border-bottom: 1px solid #8db2e3; }")
        : QStringLiteral("QLabel { color: white; font-weight: bold; font-size: 14px; padding: 4px 8px;"
                         " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #5b84bf,"
                         " stop:1 #2f5b9a); }"));
}

} // namespace controls
