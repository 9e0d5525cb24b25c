#pragma once
#include <QLabel>

namespace controls {

// The title strip across the frame that names what the main window shows.
class ShortcutCaption : public QLabel {
    Q_OBJECT
public:
    explicit ShortcutCaption(QWidget* parent = nullptr);
    void setCaption(const QString& caption);
    QString caption() const { return text(); }
    // The lighter, smaller look of a sub-item caption.
    void setSubItemCaption(bool subItem);
    bool subItemCaption() const { return m_subItem; }

private:
    void restyle();
    bool m_subItem = false;
};

} // namespace controls
