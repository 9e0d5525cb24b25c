#pragma once
#include <QObject>

class QIcon;
class QMenu;
class QSystemTrayIcon;

namespace controls {

// An icon in the desktop's notification area standing in for a hidden window.
class TrayIcon : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    // False when the desktop has no notification area (or the icon could not be shown).
    virtual bool add() = 0;
    virtual bool remove() = 0;
    virtual bool isShown() const = 0;
    // The icon and its tooltip while shown; an icon that never gets them keeps its own.
    virtual void setIcon(const QIcon& icon) { (void)icon; }
    virtual void setToolTip(const QString& text) { (void)text; }

signals:
    void leftClicked();
    void rightClicked();
    void doubleClicked();
    void restoreChosen();
    void closeChosen();
};

// The icon on the desktop's notification area, with the menu "&Restore", "&Close".
class SystemTrayIcon : public TrayIcon {
    Q_OBJECT
public:
    explicit SystemTrayIcon(QObject* parent = nullptr);
    ~SystemTrayIcon() override;
    bool add() override;
    bool remove() override;
    bool isShown() const override;
    void setIcon(const QIcon& icon) override;
    void setToolTip(const QString& text) override;

private:
    QSystemTrayIcon* m_icon;
    QMenu* m_menu;
};

} // namespace controls
