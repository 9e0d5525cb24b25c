#include "procedures/common/Tornavellic.h"

#include "runtime/Dialogs.h"
#include "runtime/Text.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QCoreApplication>
#include <QDebug>
#include <QEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QUrl>
#include <QStyledItemDelegate>

namespace VelmoraDll {

namespace {

QColor fromBgr(int v) { return QColor(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF); }
int toBgr(const QColor& c) { return c.red() | (c.green() << 8) | (c.blue() << 16); }

QString controlText(QWidget* w)
{
    if (auto* l = qobject_cast<QLabel*>(w))
        return l->text();
    if (auto* e = qobject_cast<QLineEdit*>(w))
        return e->text();
    if (auto* b = qobject_cast<QAbstractButton*>(w))
        return b->text();
    return {};
}

void setTextColour(QWidget* w, int bgr)
{
    QPalette p = w->palette();
    const QColor c = fromBgr(bgr);
    p.setColor(QPalette::WindowText, c);
    p.setColor(QPalette::Text, c);
    p.setColor(QPalette::ButtonText, c);
    w->setPalette(p);
}

void setUnderline(QWidget* w, bool on)
{
    QFont f = w->font();
    f.setUnderline(on);
    w->setFont(f);
}

// A scheme ("http:", "mailto:") means the text is no local file.
bool hasScheme(const QString& text)
{
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    return scheme.match(text).hasMatch();
}

} // namespace

// Paints a link column in its colour, underlined, and the row under the mouse bright.
class Tornavellic::LinkDelegate : public QStyledItemDelegate {
public:
    LinkDelegate(Tornavellic* owner, QAbstractItemView* view, int column)
        : QStyledItemDelegate(view), m_owner(owner), m_view(view), m_column(column)
    {
    }

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        const Item* it = m_owner->findItem(m_view, m_column);
        if (!it || !it->ACTIVE || m_owner->GetURL(m_view, m_column, index.row() + 1).isEmpty())
            return;
        const bool bright = it->WORKING == index.row() + 1;
        const int colour = bright && it->BRIGHT != -1 ? it->BRIGHT : it->NORMAL;
        if (colour != -1) {
            option->palette.setColor(QPalette::Text, fromBgr(colour));
            option->font.setUnderline(true);
        }
    }

private:
    Tornavellic* m_owner;
    QAbstractItemView* m_view;
    int m_column;
};

Tornavellic::Tornavellic(std::unique_ptr<links::HandlerLookup> lookup, std::unique_ptr<links::LinkOpener> opener,
                         QObject* parent)
    : QObject(parent),
      m_lookup(lookup ? std::move(lookup) : links::makeDesktopLookup()),
      m_opener(opener ? std::move(opener) : links::makeDetachedOpener())
{
}

Tornavellic::~Tornavellic() = default;

void Tornavellic::Init()
{
    if (DISABLE)
        return;
    // The desktop's programs are looked up when a link is first opened: asking for them here
    // runs xdg-mime, a shell script of dozens of processes, before the window can show.
    INITED = true;
}

void Tornavellic::FindHandlers()
{
    HYPERBROWSER.clear();
    HYPEREMAIL.clear();
    const QString htmlType = m_lookup->read(QStringLiteral(".htm"));
    HYPERBROWSER = htmlType.isEmpty() ? QString() : m_lookup->read(htmlType + QStringLiteral("\\shell\\open\\command"));
    if (HYPERBROWSER.isEmpty())
        Debug(QStringLiteral("No Browser found in the registry."));
    const QString quoted = links::GetQuoted(HYPERBROWSER);
    if (!quoted.isEmpty())
        HYPERBROWSER = QLatin1Char('"') + quoted + QLatin1Char('"');
    HYPEREMAIL = m_lookup->read(QStringLiteral("mailto\\shell\\open\\command"));
    if (HYPEREMAIL.isEmpty())
        Debug(QStringLiteral("No Email program found"));
}

Tornavellic::Item* Tornavellic::findItem(QWidget* control, int column)
{
    for (Item& it : m_items)
        if (it.CONTROL == control && (!qobject_cast<QAbstractItemView*>(control) || it.COLUMN == column))
            return &it;
    return nullptr;
}

void Tornavellic::AddItem(QWidget* control, const QString& text, std::optional<int> normal, std::optional<int> style,
                          std::optional<int> bright)
{
    if (DISABLE || !control)
        return;
    Item item;
    item.CONTROL = control;
    item.INACTIVECOLOR = toBgr(control->palette().color(QPalette::WindowText));
    int highest = 0;
    for (const Item& it : m_items)
        if (it.CONTROL == control)
            highest = std::max(highest, it.STYLE);
    if (highest > 0)
        item.STYLE = highest + 2; // each link column of a list gets its own pair of styles

    if (normal && *normal != -1)
        item.NORMAL = *normal;
    if (bright && *bright != -1)
        item.BRIGHT = *bright;
    const bool coloured = item.NORMAL != -1 || item.BRIGHT != -1;

    if (auto* view = qobject_cast<QAbstractItemView*>(control)) {
        item.COLUMN = text.trimmed().toInt();
        if (!style) {
            if (item.STYLE == 0 && coloured)
                item.STYLE = 2;
        } else {
            const int s = std::abs(*style);
            if (s > item.STYLE && s > 1)
                item.STYLE = s;
            else if (item.STYLE == 0 && coloured)
                item.STYLE = 2;
            item.HANDCURSOR = *style < 0;
        }
        view->setMouseTracking(true);
        view->viewport()->setMouseTracking(true);
        view->viewport()->installEventFilter(this);
        if (item.COLUMN >= 1)
            view->setItemDelegateForColumn(item.COLUMN - 1, new LinkDelegate(this, view, item.COLUMN));
    } else {
        item.URL = text;
        if (item.NORMAL != -1)
            setTextColour(control, item.NORMAL);
        const int s = style.value_or(0);
        item.UNDERLINE = (s & 1) != 0;
        item.USEEVENT = s & ~1;
        setUnderline(control, item.UNDERLINE);
        control->installEventFilter(this);
    }
    m_items.push_back(item);
    Debug(QStringLiteral("In AddItem: Control: %1 Column: %2 URL: %3 Style: %4")
              .arg(control->objectName()).arg(item.COLUMN).arg(item.URL).arg(item.STYLE));
    ApplyLook(m_items.back());
    m_items.back().SKYPEFUNCTION = 0;
}

void Tornavellic::ApplyLook(Item& item)
{
    QWidget* w = item.CONTROL;
    if (!w)
        return;
    if (auto* view = qobject_cast<QAbstractItemView*>(w)) {
        view->viewport()->update();
        return;
    }
    if (item.ACTIVE) {
        setUnderline(w, item.UNDERLINE);
        w->setCursor(Qt::PointingHandCursor);
        if (item.NORMAL != -1)
            setTextColour(w, item.WORKING && item.BRIGHT != -1 ? item.BRIGHT : item.NORMAL);
    } else {
        setUnderline(w, false);
        w->unsetCursor();
        setTextColour(w, item.INACTIVECOLOR);
    }
}

void Tornavellic::CheckItems(QWidget* control)
{
    if (DISABLE)
        return;
    for (Item& it : m_items) {
        if (control && it.CONTROL != control)
            continue;
        if (it.CONTROL)
            it.CONTROL->show();
        if (CHECKURLS && !qobject_cast<QAbstractItemView*>(it.CONTROL.data())) {
            const QString text = it.URL.isEmpty() ? controlText(it.CONTROL) : it.URL;
            it.ACTIVE = CheckHandler(text, it.SKYPEFUNCTION);
        }
        ApplyLook(it);
    }
}

QString Tornavellic::GetURL(QWidget* control, int column, int row)
{
    if (DISABLE || !control)
        return {};
    if (auto* view = qobject_cast<QAbstractItemView*>(control)) {
        if (!view->model())
            return {};
        return view->model()->index(row - 1, column - 1).data(Qt::DisplayRole).toString().trimmed();
    }
    if (Item* it = findItem(control, 0))
        return it->URL.isEmpty() ? controlText(control) : it->URL;
    return {};
}

void Tornavellic::SetURL(QWidget* control, const QString& text)
{
    if (Item* it = findItem(control, 0)) {
        it->URL = text;
        CheckItems(control);
    }
}

bool Tornavellic::SetActive(QWidget* control, bool active)
{
    bool found = false;
    for (Item& it : m_items)
        if (it.CONTROL == control) {
            it.ACTIVE = active;
            ApplyLook(it);
            found = true;
        }
    return found;
}

bool Tornavellic::CheckHandler(const QString& text, int skypeFunction)
{
    if (DISABLE)
        return false;
    const auto trace = [this](const QString& t) {
        if (debugSwitch("/TNdbgReg"))
            Debug(t);
    };
    switch (links::kindOf(text, skypeFunction, URLISNOTANEMAIL)) {
    case links::Kind::Web:
        if (HYPERBROWSER.isEmpty())
            HYPERBROWSER = links::findFileHandler(*m_lookup, QStringLiteral(".htm"), trace);
        OPENPROGRAM = HYPERBROWSER;
        return !OPENPROGRAM.isEmpty();
    case links::Kind::Mail:
        if (HYPEREMAIL.isEmpty())
            HYPEREMAIL = m_lookup->read(QStringLiteral("mailto\\shell\\open\\command"));
        if (HYPEREMAIL.isEmpty() && debugSwitch("/TNdbg"))
            Debug(QStringLiteral("No Email program found"));
        OPENPROGRAM = HYPEREMAIL;
        return !OPENPROGRAM.isEmpty();
    case links::Kind::Skype:
        OPENPROGRAM = m_lookup->read(QStringLiteral("callto\\shell\\open\\command"));
        return !OPENPROGRAM.isEmpty();
    case links::Kind::File:
        OPENPROGRAM = links::findFileHandler(*m_lookup, text, trace);
        return !OPENPROGRAM.isEmpty();
    case links::Kind::None:
        break;
    }
    return false;
}

void Tornavellic::RunURL(QWidget* control, int limit)
{
    if (DISABLE)
        return;
    if (limit == 0)
        limit = LIMITURL;
    const QString text = URLTORUN.trimmed();
    if (text.isEmpty())
        return;
    const QString opener = QStringLiteral("xdg-open");
    int code = 0;
    QString command;
    if (links::kindOf(text, 0, URLISNOTANEMAIL) == links::Kind::Mail
        && !text.startsWith(QLatin1String("http://"), Qt::CaseInsensitive)) {
        command = links::mailCommand(ENCODEEMAILS ? links::MakeEmailURLSafe(text) : text, limit,
                                     static_cast<int>(HYPEREMAIL.size()));
        Debug(QStringLiteral("Command to run: ") + command);
        if (!m_opener->start(opener, {command}))
            code = 31;
    } else {
        command = text;
        // The desktop's handler needs a scheme where the old shell guessed one.
        if (text.startsWith(QLatin1String("www."), Qt::CaseInsensitive))
            command = QStringLiteral("http://") + text;
        const bool web = links::kindOf(text) == links::Kind::Web;
        // A file: address names a local file as a path does, and gets the same checks.
        QUrl url = !web && hasScheme(command) ? QUrl(command) : QUrl();
        if (url.host().compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
            url.setHost(QString());
        if (!web && (!hasScheme(command) || url.isLocalFile())) {
            const QFileInfo file(url.isLocalFile() ? url.toLocalFile() : command);
            if (!file.exists())
                code = 2;
            else if (file.isFile() && file.isExecutable())
                code = 5; // a link never runs a program directly
        }
        if (code == 0) {
            if (!TRYTOSTARTINEXISTINGWINDOW && web && HYPERBROWSER.contains(QLatin1String("iexplore"), Qt::CaseInsensitive)) {
                Debug(QStringLiteral("Command to run: [") + HYPERBROWSER + QStringLiteral("] [") + command + QLatin1Char(']'));
                if (!m_opener->start(links::GetQuoted(HYPERBROWSER).isEmpty() ? HYPERBROWSER : links::GetQuoted(HYPERBROWSER), {command}))
                    code = 2;
            } else {
                Debug(QStringLiteral("Command to run: [") + command + QLatin1Char(']'));
                if (!m_opener->start(opener, {command}))
                    code = 31;
            }
        }
    }
    if (code != 0) {
        const links::ShellError e = links::shellError(code, command);
        ErrorBox(e.text, e.caption, code);
    }
}

void Tornavellic::ErrorBox(const QString& text, const QString& caption, int)
{
    vrt::message(text, caption, vrt::Icon::Information);
}

bool Tornavellic::debugSwitch(const char* name) const
{
    return QCoreApplication::arguments().contains(QLatin1String(name), Qt::CaseInsensitive);
}

void Tornavellic::Debug(const QString& text)
{
    static const bool on = QCoreApplication::arguments().contains(QStringLiteral("/TNDebug"), Qt::CaseInsensitive);
    if (on)
        qDebug().noquote() << QStringLiteral("Tornavellic: ") + vrt::clipTrailing(text).left(1024);
}

void Tornavellic::RunItem(Item& item, int row)
{
    QWidget* w = item.CONTROL;
    QString text;
    if (qobject_cast<QLineEdit*>(w))
        text = controlText(w);
    else if (qobject_cast<QAbstractItemView*>(w))
        text = GetURL(w, item.COLUMN, row);
    else
        text = item.URL.isEmpty() ? controlText(w) : item.URL;
    if (!text.isEmpty() && item.SKYPEFUNCTION >= 1 && item.SKYPEFUNCTION <= 5)
        text = links::skypeLink(text, item.SKYPEFUNCTION);
    URLTORUN = text;
    Debug(QStringLiteral("Before Run: Control: ") + (w ? w->objectName() : QString()) + QStringLiteral(" URL: ") + text);
    if (!text.isEmpty())
        RunURL(w, 0);
}

bool Tornavellic::handleListEvent(QAbstractItemView* view, QEvent* event)
{
    const bool move = event->type() == QEvent::MouseMove;
    const bool release = event->type() == QEvent::MouseButtonRelease
                         && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
    if (event->type() == QEvent::Leave || move || release) {
        const QModelIndex index = (move || release)
                                      ? view->indexAt(static_cast<QMouseEvent*>(event)->position().toPoint())
                                      : QModelIndex();
        bool overLink = false;
        for (Item& it : m_items) {
            if (it.CONTROL != view)
                continue;
            const bool here = index.isValid() && index.column() + 1 == it.COLUMN && it.ACTIVE
                              && !GetURL(view, it.COLUMN, index.row() + 1).isEmpty();
            const int working = here ? index.row() + 1 : 0;
            if (working != it.WORKING) {
                it.WORKING = working;
                view->viewport()->update();
            }
            if (here) {
                overLink = overLink || it.HANDCURSOR;
                if (release)
                    RunItem(it, index.row() + 1);
            }
        }
        if (overLink)
            view->viewport()->setCursor(Qt::PointingHandCursor);
        else
            view->viewport()->unsetCursor();
    }
    return false;
}

bool Tornavellic::eventFilter(QObject* watched, QEvent* event)
{
    if (DISABLE)
        return false;
    if (auto* viewport = qobject_cast<QWidget*>(watched)) {
        if (auto* view = qobject_cast<QAbstractItemView*>(viewport->parentWidget()); view && view->viewport() == viewport)
            return handleListEvent(view, event);
    }
    auto* w = qobject_cast<QWidget*>(watched);
    Item* it = w ? findItem(w, 0) : nullptr;
    if (!it || !it->ACTIVE)
        return false;
    switch (event->type()) {
    case QEvent::Enter:
        if (it->BRIGHT != -1 && it->NORMAL == -1)
            it->NORMAL = toBgr(w->palette().color(QPalette::WindowText));
        it->WORKING = 1;
        ApplyLook(*it);
        break;
    case QEvent::Leave:
        it->WORKING = 0;
        ApplyLook(*it);
        break;
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && it->USEEVENT <= 1)
            RunItem(*it, 0);
        break;
    default:
        break;
    }
    return false;
}

} // namespace VelmoraDll
