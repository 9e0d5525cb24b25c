#pragma once
#include <QObject>
#include <QString>

class QWidget;

namespace controls {

// Gives the program one look: the Fusion style with a style sheet read from a skin file.
class SkinFramework : public QObject {
    Q_OBJECT
public:
    explicit SkinFramework(QObject* parent = nullptr);
    // A missing or unreadable file leaves the built-in skin in use; false says so.
    bool loadSkin(const QString& file, const QString& iniName = {});
    // Skins the whole program; the window is the one whose look matters first.
    void applyWindow(QWidget* window);
    QString styleSheet() const { return m_sheet; }
    QString skinFile() const { return m_file; }

private:
    QString m_sheet;
    QString m_file;
};

} // namespace controls
