#include "extensions/RtfEditor.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace ext {

namespace {

QToolButton* tool(QWidget* parent, const QString& text, const QString& name, QStyle::StandardPixmap icon = QStyle::SP_CustomBase,
                  bool checkable = false)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setText(text);
    b->setToolTip(text);
    if (icon != QStyle::SP_CustomBase) {
        b->setIcon(parent->style()->standardIcon(icon));
        b->setToolButtonStyle(Qt::ToolButtonIconOnly);
    }
    b->setCheckable(checkable);
    return b;
}

} // namespace

RtfEditorWindow::RtfEditorWindow(const QString& file, QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("RtfEditor"));
    setWindowTitle(tr("RTF"));
    using R = RTFCONTROLCLASS;
    auto* rowA = new QHBoxLayout;
    auto* rowB = new QHBoxLayout;
    const auto add = [&](QHBoxLayout* row, int item, QWidget* w) {
        row->addWidget(w);
        m_rtf.ADDITEM(item, w);
    };
    add(rowA, R::CTLBUTTONNEW, tool(this, tr("New"), "new", QStyle::SP_FileIcon));
    add(rowA, R::CTLBUTTONOPEN, tool(this, tr("Open"), "open", QStyle::SP_DialogOpenButton));
    add(rowA, R::CTLBUTTONSAVE, tool(this, tr("Save"), "save", QStyle::SP_DialogSaveButton));
    add(rowA, R::CTLBUTTONPRINT, tool(this, tr("Print"), "print"));
    add(rowA, R::CTLBUTTONFIND, tool(this, tr("Find"), "find"));
    add(rowA, R::CTLBUTTONFINDANDREPLACE, tool(this, tr("Replace"), "replace"));
    add(rowA, R::CTLBUTTONCUT, tool(this, tr("Cut"), "cut"));
    add(rowA, R::CTLBUTTONCOPY, tool(this, tr("Copy"), "copy"));
    add(rowA, R::CTLBUTTONPASTE, tool(this, tr("Paste"), "paste"));
    add(rowA, R::CTLBUTTONUNDO, tool(this, tr("Undo"), "undo", QStyle::SP_ArrowBack));
    add(rowA, R::CTLBUTTONREDO, tool(this, tr("Redo"), "redo", QStyle::SP_ArrowForward));
    add(rowA, R::CTLBUTTONTABS, tool(this, tr("Tabs"), "tabs"));
    add(rowA, R::CTLBUTTONPARA, tool(this, tr("Indents"), "indents"));
    rowA->addStretch();
    auto* font = new QComboBox(this);
    font->setObjectName(QStringLiteral("font"));
    font->setMinimumContentsLength(14);
    add(rowB, R::CTLFONTNAME, font);
    auto* size = new QComboBox(this);
    size->setObjectName(QStringLiteral("size"));
    add(rowB, R::CTLFONTSIZE, size);
    add(rowB, R::CTLBOLD, tool(this, tr("B"), "bold", QStyle::SP_CustomBase, true));
    add(rowB, R::CTLITALIC, tool(this, tr("I"), "italic", QStyle::SP_CustomBase, true));
    add(rowB, R::CTLUNDERLINE, tool(this, tr("U"), "underline", QStyle::SP_CustomBase, true));
    auto* colour = new QComboBox(this);
    colour->setObjectName(QStringLiteral("colour"));
    add(rowB, R::CTLFONTCOLOR, colour);
    auto* background = new QComboBox(this);
    background->setObjectName(QStringLiteral("background"));
    add(rowB, R::CTLFONTBKCOLOR, background);
    auto* align = new QComboBox(this);
    align->setObjectName(QStringLiteral("align"));
    add(rowB, R::CTLALIGNMENT, align);
    add(rowB, R::CTLBULLETS, tool(this, tr("Bullets"), "bullets", QStyle::SP_CustomBase, true));
    auto* style = new QComboBox(this);
    style->setObjectName(QStringLiteral("bulletStyle"));
    add(rowB, R::CTLBULLETSTYLE, style);
    rowB->addStretch();

    m_edit = new QTextEdit(this);
    auto* status = new QHBoxLayout;
    for (int item : {R::CTLSHOWFILENAME, R::CTLSHOWLINENO, R::CTLSHOWPOSINLINE, R::CTLSHOWDIRTY}) {
        auto* label = new QLabel(this);
        label->setObjectName(QStringLiteral("info%1").arg(item));
        status->addWidget(label);
        m_rtf.ADDITEM(item, label);
    }
    status->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(rowA);
    layout->addLayout(rowB);
    layout->addWidget(m_edit, 1);
    layout->addLayout(status);
    m_rtf.INIT(m_edit, file);
    resize(900, 600);
}

void RtfEditorWindow::closeEvent(QCloseEvent* event)
{
    if (m_rtf.EVENTCALLBACK(1) == 2)
        event->ignore(); // the save failed: the text stays
    else
        event->accept();
}

} // namespace ext
