#pragma once
#include <QPointer>
#include <QString>

#include <vector>

class QAbstractItemView;

namespace MH {

// Spreads a long text over several rows of a list: each row names the column it shows in and
// the string it fills; WRAP cuts the text into lines as wide as those columns in the list's
// font (see wrapLines).
class WRAPBROWSE {
public:
    void INIT(QAbstractItemView* list);
    // `offset`: pixels the column keeps free before its text; -1 takes the list's own margin.
    void ADDROW(int column, QString* target, int offset = -1);
    void WRAP(const QString& text);
    void KILL();
    // The room for text in `column`, in pixels.
    int columnWidth(int column, int offset) const;

private:
    struct Row {
        int column;
        int offset;
        QString* target;
    };
    QPointer<QAbstractItemView> m_list;
    std::vector<Row> m_rows;
};

} // namespace MH
