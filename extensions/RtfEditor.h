#pragma once
#include <QWidget>

#include "extensions/RtfControl.h"

class QTextEdit;

namespace ext {

// A window with a rich-text editor and every control RTFCONTROLCLASS binds: the tool rows
// (new, open, save, print, find, replace, cut, copy, paste, undo, redo, tabs, indents,
// alignment, bullets, font, size, bold, italic, underline, colours) and the file name, line,
// column and changed mark below. Closing asks to save a changed file.
class RtfEditorWindow : public QWidget {
    Q_OBJECT
public:
    explicit RtfEditorWindow(const QString& file = {}, QWidget* parent = nullptr);
    RTFCONTROLCLASS& rtf() { return m_rtf; }
    QTextEdit* editor() const { return m_edit; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    RTFCONTROLCLASS m_rtf;
    QTextEdit* m_edit;
};

} // namespace ext
