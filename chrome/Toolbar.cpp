#include "chrome/Toolbar.h"

#include <QActionGroup>
#include <QApplication>
#include <QBoxLayout>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QHelpEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QResizeEvent>
#include <QStyle>
#include <QToolButton>

#include "chrome/ChromeGlobals.h"
#include "runtime/WindowManager.h"

using namespace tbstate;

// ---- button ------------------------------------------------------------------------------

CFCTBRBUTTON::~CFCTBRBUTTON()
{
    if (TOOLBAR)
        TOOLBAR->forget(*this);
}

long CFCTBRBUTTON::GETBUTTONINDEX() const { return TOOLBAR ? TOOLBAR->indexOf(BUTTONID) : -1; }

long CFCTBRBUTTON::setState(uint8_t bit, bool on)
{
    CFC_TBBUTTON* b = TOOLBAR ? TOOLBAR->record(BUTTONID) : nullptr;
    if (!b)
        return 0;
    b->fsState = on ? uint8_t(b->fsState | bit) : uint8_t(b->fsState & ~bit);
    TOOLBAR->sync();
    return 1;
}

long CFCTBRBUTTON::DELETE()
{
    const long index = GETBUTTONINDEX();
    if (index < 0)
        return 0;
    TOOLBAR->m_layout.erase(TOOLBAR->m_layout.begin() + index);
    TOOLBAR->sync();
    return 1;
}

bool CFCTBRBUTTON::GETRECT(QRect& rect) const
{
    rect = QRect();
    QAction* action = TOOLBAR ? TOOLBAR->actionOf(BUTTONID) : nullptr;
    QWidget* widget = action && TOOLBAR->HWNDTB() ? TOOLBAR->HWNDTB()->widgetForAction(action) : nullptr;
    if (!widget || GETBUTTONINDEX() < 0 || ISHIDDEN())
        return false;
    rect = widget->geometry();
    return true;
}

long CFCTBRBUTTON::GETSTATE() const
{
    const CFC_TBBUTTON* b = TOOLBAR ? TOOLBAR->record(BUTTONID) : nullptr;
    return b ? long(b->fsState) : -1;
}

long CFCTBRBUTTON::GETSTYLE() const
{
    const CFC_TBBUTTON* b = TOOLBAR ? TOOLBAR->record(BUTTONID) : nullptr;
    return b ? long(b->fsStyle) : -1;
}

long CFCTBRBUTTON::GETCX() const
{
    QRect r;
    return GETRECT(r) ? long(r.width()) : -1;
}

long CFCTBRBUTTON::SETCX(long width)
{
    if (!TOOLBAR || GETBUTTONINDEX() < 0)
        return 0;
    TOOLBAR->m_cx[BUTTONID] = int(width);
    TOOLBAR->sync();
    return 1;
}

long CFCTBRBUTTON::SETTEXT(const QString& text)
{
    TEXT = text;
    CFC_TBBUTTON* b = TOOLBAR ? TOOLBAR->record(BUTTONID) : nullptr;
    if (!b)
        return -1;
    QString t = text;
    while (t.endsWith(QLatin1Char(' ')))
        t.chop(1);
    b->iString = int32_t(TOOLBAR->m_strings.size());
    TOOLBAR->m_strings << t;
    TBBUTTON.iString = b->iString;
    TOOLBAR->sync();
    return 0;
}

long CFCTBRBUTTON::SETICON(const QString& name, int width, int height)
{
    if (!TOOLBAR)
        return -1;
    long index = TOOLBAR->GETICONFROMIMAGEPOOL(name, width, height);
    if (index < 0)
        index = TOOLBAR->ADDICONTOIMAGEPOOL(name, width, height);
    CFC_TBBUTTON* b = TOOLBAR->record(BUTTONID);
    if (index < 0 || !b)
        return -1;
    b->iBitmap = int32_t(index);
    TBBUTTON.iBitmap = int32_t(index);
    TOOLBAR->sync();
    return 0;
}

void CFCTBRBUTTON::SETTOOLTIP(const QString& text)
{
    if (!TOOLBAR)
        return;
    QRect r;
    GETRECT(r);
    if (TOOLID > 0)
        TOOLBAR->TT().DELTOOL(TOOLID); // a new tip replaces the button's earlier one
    TOOLID = TOOLBAR->TT().ADDTOOL(text, r);
}

CFC_TBBUTTON CFCTBRBUTTON::GETTBBUTTON() const
{
    const CFC_TBBUTTON* b = TOOLBAR ? TOOLBAR->record(BUTTONID) : nullptr;
    return b ? *b : CFC_TBBUTTON{0, 0, 0, 0, {0, 0}, 0, 0};
}

// ---- toolbar -----------------------------------------------------------------------------

CFCTOOLBAR::CFCTOOLBAR() = default;

CFCTOOLBAR::~CFCTOOLBAR()
{
    m_tt.KILL();
    for (auto& [id, button] : TBRB)
        if (button && button->TOOLBAR == this)
            button->TOOLBAR = nullptr;
}

QToolBar* CFCTOOLBAR::CREATETOOLBAR(QWidget* parent, long style, long tooltipStyle)
{
    (void)style;
    PARENTHWND = parent;
    m_toolbar = new QToolBar(parent);
    m_toolbar->setObjectName(QStringLiteral("CfcToolbar"));
    m_toolbar->setMovable(false);
    m_toolbar->setFloatable(false);
    m_toolbar->setIconSize(QSize(TBRIMAGEWIDTH, TBRIMAGEHEIGHT));
    m_toolbar->setContextMenuPolicy(Qt::PreventContextMenu);
    m_tt.INIT(m_toolbar);
    m_tt.CREATETOOLTIP(tooltipStyle);
    sync();
    return m_toolbar;
}

void CFCTOOLBAR::forget(CFCTBRBUTTON& button)
{
    const long id = button.BUTTONID;
    std::erase_if(TBRB, [&](const auto& entry) { return entry.second == &button; });
    std::erase_if(m_layout, [&](const CFC_TBBUTTON& b) { return !(b.fsStyle & BTNS_SEP) && b.idCommand == id; });
    if (button.TOOLID > 0)
        m_tt.DELTOOL(button.TOOLID);
    if (QAction* action = m_actions.take(id)) {
        action->setMenu(nullptr); // the menu goes with the button
        delete action;
    }
    button.TOOLBAR = nullptr;
    sync();
}

void CFCTOOLBAR::SETCOMMANDCNT(CFCCOMMANDCNT& counter)
{
    CNT = &counter;
    m_tt.SETCOMMANDCNT(counter);
}

void CFCTOOLBAR::SETTBRIMAGESIZE(short width, short height)
{
    TBRIMAGEWIDTH = width;
    TBRIMAGEHEIGHT = height;
    if (m_toolbar)
        m_toolbar->setIconSize(QSize(width, height));
}

long CFCTOOLBAR::GETICONFROMIMAGEPOOL(const QString& name, int width, int height) const
{
    width = width > 0 ? width : TBRIMAGEWIDTH;
    height = height > 0 ? height : TBRIMAGEHEIGHT;
    for (const PoolImage& p : TBRIPOOL)
        if (p.name == name && p.width == width && p.height == height)
            return p.index;
    return -1;
}

long CFCTOOLBAR::ADDICONTOIMAGEPOOL(const QString& name, int width, int height)
{
    width = width > 0 ? width : TBRIMAGEWIDTH;
    height = height > 0 ? height : TBRIMAGEHEIGHT;
    QIcon icon = QFile::exists(name) ? QIcon(name) : QIcon::fromTheme(name);
    if (icon.isNull() || icon.pixmap(width, height).isNull())
        return -1;
    // One picture of the asked size, so buttons of one size line up whatever the file holds.
    icon = QIcon(icon.pixmap(width, height));
    const long index = long(m_images.size());
    m_images.push_back(icon);
    TBRIPOOL.push_back({name, width, height, index});
    return index;
}

long CFCTOOLBAR::insert(CFCTBRBUTTON& button, const QString& text, uint8_t style, long position, int imageKind)
{
    const long id = CNT ? long(CNT->GETNEXTID()) : long(GLO::CFC_Cnt.GETNEXTID());
    TBRB.emplace_back(id, &button);
    CFC_TBBUTTON b;
    b.iBitmap = imageForKind(imageKind);
    b.idCommand = int32_t(id);
    b.fsState = button.CHECKBUTTONACCESS() != 0 ? 0 : TBSTATE_ENABLED;
    b.fsStyle = uint8_t(style | BTNS_AUTOSIZE);
    b.iString = -1;
    if (!text.isEmpty()) {
        QString t = text;
        while (t.endsWith(QLatin1Char(' ')))
            t.chop(1);
        button.TEXT = text;
        if (imageKind != 2) {
            b.iString = int32_t(m_strings.size());
            m_strings << t;
        }
    }
    button.TOOLBAR = this;
    button.BUTTONID = id;
    button.TBBUTTON = b;
    const size_t at = position < 0 || size_t(position) > m_layout.size() ? m_layout.size() : size_t(position);
    m_layout.insert(m_layout.begin() + qsizetype(at), b);
    sync();
    return id;
}

long CFCTOOLBAR::ADDBUTTON(CFCTBRBUTTON& b, const QString& t, long p, int k) { return insert(b, t, BTNS_BUTTON, p, k); }
long CFCTOOLBAR::ADDCHECKBUTTON(CFCTBRBUTTON& b, const QString& t, long p, int k) { return insert(b, t, BTNS_CHECK, p, k); }
long CFCTOOLBAR::ADDRADIOBUTTON(CFCTBRBUTTON& b, const QString& t, long p, int k) { return insert(b, t, BTNS_CHECKGROUP, p, k); }
long CFCTOOLBAR::ADDDROPDOWNBUTTON(CFCTBRBUTTON& b, const QString& t, long p, int k) { return insert(b, t, BTNS_DROPDOWN, p, k); }
long CFCTOOLBAR::ADDWHOLEDROPDOWNBUTTON(CFCTBRBUTTON& b, const QString& t, long p, int k)
{
    return insert(b, t, BTNS_WHOLEDROPDOWN, p, k);
}

long CFCTOOLBAR::ADDSEPARATOR(long position)
{
    CFC_TBBUTTON b;
    b.fsStyle = BTNS_SEP;
    b.iString = 0;
    const size_t at = position < 0 || size_t(position) > m_layout.size() ? m_layout.size() : size_t(position);
    m_layout.insert(m_layout.begin() + qsizetype(at), b);
    sync();
    return 1;
}

void CFCTOOLBAR::DELETESEPARATORBYPOS(long position)
{
    if (position >= 0 && size_t(position) < m_layout.size() && (m_layout[size_t(position)].fsStyle & BTNS_SEP)) {
        m_layout.erase(m_layout.begin() + position);
        sync();
    }
}

CFCTBRBUTTON* CFCTOOLBAR::GETBUTTONBYID(long id) const
{
    for (const auto& [bid, button] : TBRB)
        if (bid == id)
            return button;
    return nullptr;
}

long CFCTOOLBAR::GETBUTTONIDBYPOS(long position) const
{
    for (const auto& [id, button] : TBRB)
        if (button && button->GETBUTTONINDEX() == position)
            return button->BUTTONID;
    return -1;
}

long CFCTOOLBAR::GETHOTITEM() const
{
    if (!m_toolbar)
        return -1;
    for (auto it = m_actions.begin(); it != m_actions.end(); ++it)
        if (QWidget* w = m_toolbar->widgetForAction(it.value()); w && w->underMouse() && w->isEnabled())
            return it.key();
    return -1;
}

void CFCTOOLBAR::PRESSBUTTON(CFCTBRBUTTON& button, bool pressed)
{
    if (button.TOOLBAR == this)
        button.setState(TBSTATE_PRESSED, pressed);
}

void CFCTOOLBAR::MOVEBUTTON(long from, long to)
{
    if (from < 0 || to < 0 || size_t(from) >= m_layout.size() || size_t(to) >= m_layout.size() || from == to)
        return;
    const CFC_TBBUTTON b = m_layout[size_t(from)];
    m_layout.erase(m_layout.begin() + from);
    m_layout.insert(m_layout.begin() + to, b);
    sync();
}

void CFCTOOLBAR::AUTOSIZE()
{
    if (m_toolbar)
        m_toolbar->adjustSize();
}

void CFCTOOLBAR::SAVESTATE() { INITSTATEBUFFER = encode(m_layout); }

std::vector<CFC_TBBUTTON> CFCTOOLBAR::savedLayout() const
{
    // Buttons destroyed since the layout was saved are left out.
    std::vector<CFC_TBBUTTON> out = decode(INITSTATEBUFFER);
    std::erase_if(out, [this](const CFC_TBBUTTON& b) { return !(b.fsStyle & BTNS_SEP) && !GETBUTTONBYID(b.idCommand); });
    return out;
}

void CFCTOOLBAR::ONRESET()
{
    m_layout = savedLayout();
    sync();
    REFRESHTOOLTIPS();
}

void CFCTOOLBAR::ONTOOLBARCHANGE()
{
    REFRESHTOOLTIPS();
    emit layoutChanged();
}

long CFCTOOLBAR::SAVESTATETOFILE(const QString& file) { return writeFile(file, m_layout) ? 1 : 0; }

long CFCTOOLBAR::RESTORESTATEFROMFILE(const QString& file)
{
    const auto stored = readFile(file);
    if (!stored)
        return -1;
    RESTOREDSTATEBUFFER = encode(*stored);
    m_layout = reconcile(*stored, [this](int32_t id, int32_t& image, int32_t& string) {
        const CFCTBRBUTTON* button = GETBUTTONBYID(id);
        if (!button)
            return false;
        image = button->TBBUTTON.iBitmap;
        string = button->TBBUTTON.iString;
        return true;
    });
    sync();
    REFRESHTOOLTIPS();
    return 0;
}

void CFCTOOLBAR::REFRESH()
{
    const long rows = GETTEXTROWS();
    SETMAXTEXTROWS(rows + 1);
    SETMAXTEXTROWS(rows);
}

void CFCTOOLBAR::REFRESHTOOLTIPS()
{
    for (const auto& [id, button] : TBRB) {
        if (!button || button->TOOLID <= 0)
            continue;
        QRect r;
        button->GETRECT(r);
        m_tt.SETNEWTOOLRECT(button->TOOLID, r);
    }
}

long CFCTOOLBAR::GETMAXSIZEITEM(long& width, long& height) const
{
    if (!m_toolbar)
        return -1;
    const QSize size = m_toolbar->sizeHint();
    width = size.width();
    height = size.height();
    return 0;
}

long CFCTOOLBAR::SETINDENT(long pixels)
{
    if (!m_toolbar)
        return 0;
    QMargins m = m_toolbar->contentsMargins();
    m.setLeft(int(pixels));
    m_toolbar->setContentsMargins(m);
    return 1;
}

long CFCTOOLBAR::SETBUTTONSIZE(short width, short height)
{
    m_buttonSize = QSize(width, height);
    sync();
    return 1;
}

long CFCTOOLBAR::GETBUTTONSIZE(long& width, long& height) const
{
    QSize size = m_buttonSize;
    if (m_toolbar)
        for (QAction* a : m_toolbar->actions())
            if (QWidget* w = m_toolbar->widgetForAction(a); w && !a->isSeparator()) {
                size = w->size();
                break;
            }
    width = size.width();
    height = size.height();
    return long(width | (height << 16));
}

long CFCTOOLBAR::SETBUTTONWIDTH(short minimum, short maximum)
{
    m_minWidth = minimum;
    m_maxWidth = maximum;
    sync();
    return 1;
}

long CFCTOOLBAR::SETMAXTEXTROWS(long rows)
{
    m_textRows = std::max(0L, rows);
    sync();
    return 1;
}

CFC_TBBUTTON* CFCTOOLBAR::record(long id)
{
    for (CFC_TBBUTTON& b : m_layout)
        if (!(b.fsStyle & BTNS_SEP) && b.idCommand == id)
            return &b;
    return nullptr;
}

const CFC_TBBUTTON* CFCTOOLBAR::record(long id) const { return const_cast<CFCTOOLBAR*>(this)->record(id); }

long CFCTOOLBAR::indexOf(long id) const
{
    for (size_t i = 0; i < m_layout.size(); ++i)
        if (!(m_layout[i].fsStyle & BTNS_SEP) && m_layout[i].idCommand == id)
            return long(i);
    return -1;
}

QString CFCTOOLBAR::labelOf(const CFC_TBBUTTON& b) const
{
    return b.iString >= 0 && b.iString < m_strings.size() ? m_strings[b.iString] : QString();
}

void CFCTOOLBAR::deliver(long id)
{
    if (manager)
        manager->TAKECOMMAND(*this, id);
    else if (CFCTBRBUTTON* button = GETBUTTONBYID(id))
        button->ONCOMMAND();
    emit command(id);
}

void CFCTOOLBAR::sync()
{
    if (!m_toolbar || m_syncing)
        return;
    m_syncing = true;
    m_toolbar->clear();
    for (QAction* s : m_separators)
        delete s;
    m_separators.clear();
    for (QActionGroup* g : m_groups)
        delete g;
    m_groups.clear();
    QActionGroup* group = nullptr;
    for (const CFC_TBBUTTON& b : m_layout) {
        if (b.fsStyle & BTNS_SEP) {
            m_separators.push_back(m_toolbar->addSeparator());
            group = nullptr;
            continue;
        }
        const long id = b.idCommand;
        CFCTBRBUTTON* button = GETBUTTONBYID(id);
        QAction*& action = m_actions[id];
        if (!action) {
            action = new QAction(this);
            connect(action, &QAction::triggered, this, [this, id] { deliver(id); });
            connect(action, &QAction::toggled, this, [this, id](bool on) {
                if (CFC_TBBUTTON* r = record(id); r && !m_syncing)
                    r->fsState = on ? uint8_t(r->fsState | TBSTATE_CHECKED) : uint8_t(r->fsState & ~TBSTATE_CHECKED);
            });
        }
        const QString label = labelOf(b);
        const bool image = b.iBitmap >= 0 && size_t(b.iBitmap) < m_images.size();
        action->setText(label.isEmpty() && button ? button->TEXT : label);
        action->setIcon(image ? m_images[size_t(b.iBitmap)] : QIcon());
        const bool checkable = (b.fsStyle & BTNS_CHECK) != 0;
        action->setCheckable(checkable);
        action->setChecked(checkable && (b.fsState & TBSTATE_CHECKED));
        action->setEnabled(b.fsState & TBSTATE_ENABLED);
        action->setVisible(!(b.fsState & TBSTATE_HIDDEN));
        // Neighbouring radio buttons form one group.
        if ((b.fsStyle & BTNS_CHECKGROUP) == BTNS_CHECKGROUP) {
            if (!group) {
                group = new QActionGroup(this);
                group->setExclusive(true);
                m_groups.push_back(group);
            }
            group->addAction(action);
        } else {
            group = nullptr;
        }
        const bool dropDown = b.fsStyle & (BTNS_DROPDOWN | BTNS_WHOLEDROPDOWN);
        if (dropDown && button) {
            if (!button->m_menu) {
                button->m_menu = std::make_unique<QMenu>();
                QMenu* menu = button->m_menu.get();
                connect(menu, &QMenu::aboutToShow, this, [this, id] {
                    if (manager)
                        manager->TAKENOTIFY(*this, CFCTOOLBARMANAGER::TBN_DROPDOWN, id);
                    else if (CFCTBRBUTTON* bt = GETBUTTONBYID(id); bt && bt->m_menu)
                        bt->ONDROPDOWN(*bt->m_menu);
                });
            }
            action->setMenu(button->m_menu.get());
        } else {
            action->setMenu(nullptr);
        }
        m_toolbar->addAction(action);
        if (auto* tool = qobject_cast<QToolButton*>(m_toolbar->widgetForAction(action))) {
            if (dropDown)
                tool->setPopupMode((b.fsStyle & BTNS_WHOLEDROPDOWN) ? QToolButton::InstantPopup : QToolButton::MenuButtonPopup);
            const bool text = m_textRows > 0 && !action->text().isEmpty();
            tool->setToolButtonStyle(image && text ? Qt::ToolButtonTextUnderIcon
                                     : text        ? Qt::ToolButtonTextOnly
                                                   : Qt::ToolButtonIconOnly);
            tool->setDown(b.fsState & TBSTATE_PRESSED);
            // The button's own tip would cover the toolbar's.
            tool->setToolTip(QStringLiteral(" "));
            tool->installEventFilter(this);
            if (m_buttonSize.isValid())
                tool->setMinimumSize(m_buttonSize);
            if (m_minWidth > 0)
                tool->setMinimumWidth(m_minWidth);
            if (m_maxWidth > 0)
                tool->setMaximumWidth(m_maxWidth);
            if (const auto cx = m_cx.constFind(id); cx != m_cx.constEnd())
                tool->setFixedWidth(*cx);
        }
    }
    m_syncing = false;
    REFRESHTOOLTIPS();
}

bool CFCTOOLBAR::eventFilter(QObject* watched, QEvent* event)
{
    // A button's help event goes to the toolbar's tooltips, at the toolbar's coordinates.
    if (event->type() == QEvent::ToolTip && m_toolbar) {
        if (auto* w = qobject_cast<QWidget*>(watched); w && w->parentWidget() == m_toolbar) {
            auto* help = static_cast<QHelpEvent*>(event);
            REFRESHTOOLTIPS();
            QHelpEvent mapped(QEvent::ToolTip, w->mapTo(m_toolbar, help->pos()), help->globalPos());
            QCoreApplication::sendEvent(m_toolbar, &mapped);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

bool CFCTOOLBAR::CUSTOMIZEDIALOG()
{
    if (!m_toolbar)
        return false;
    const auto tr = [this](const char* text) {
        const QString t = QString::fromUtf8(text);
        return translate(t);
    };
    const std::vector<CFC_TBBUTTON> before = m_layout;
    std::vector<CFC_TBBUTTON> current = m_layout;
    QDialog dialog(m_toolbar->window());
    dialog.setWindowTitle(tr("Prilagodba alatne trake"));
    auto* box = new QVBoxLayout(&dialog);
    auto* lists = new QHBoxLayout;
    auto* availableBox = new QVBoxLayout;
    availableBox->addWidget(new QLabel(tr("Dostupni gumbi:"), &dialog));
    auto* available = new QListWidget(&dialog);
    available->setObjectName(QStringLiteral("available"));
    availableBox->addWidget(available);
    auto* middle = new QVBoxLayout;
    auto* add = new QPushButton(tr("Dodaj ->"), &dialog);
    add->setObjectName(QStringLiteral("add"));
    auto* remove = new QPushButton(tr("<- Ukloni"), &dialog);
    remove->setObjectName(QStringLiteral("remove"));
    middle->addStretch();
    middle->addWidget(add);
    middle->addWidget(remove);
    middle->addStretch();
    auto* currentBox = new QVBoxLayout;
    currentBox->addWidget(new QLabel(tr("Gumbi na traci:"), &dialog));
    auto* shown = new QListWidget(&dialog);
    shown->setObjectName(QStringLiteral("shown"));
    currentBox->addWidget(shown);
    auto* side = new QVBoxLayout;
    auto* up = new QPushButton(tr("Gore"), &dialog);
    up->setObjectName(QStringLiteral("up"));
    auto* down = new QPushButton(tr("Dolje"), &dialog);
    down->setObjectName(QStringLiteral("down"));
    auto* reset = new QPushButton(tr("Vrati"), &dialog);
    reset->setObjectName(QStringLiteral("reset"));
    side->addWidget(up);
    side->addWidget(down);
    side->addStretch();
    side->addWidget(reset);
    lists->addLayout(availableBox, 1);
    lists->addLayout(middle);
    lists->addLayout(currentBox, 1);
    lists->addLayout(side);
    box->addLayout(lists);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Cancel)->setText(tr("Prekid"));
    box->addWidget(buttons);

    const QString separator = tr("Razdjelnik");
    const auto nameOf = [&](const CFC_TBBUTTON& b) {
        if (b.fsStyle & BTNS_SEP)
            return separator;
        const CFCTBRBUTTON* button = GETBUTTONBYID(b.idCommand);
        const QString label = labelOf(b);
        return label.isEmpty() && button ? button->TEXT : label;
    };
    const auto fill = [&] {
        available->clear();
        shown->clear();
        auto* sep = new QListWidgetItem(separator, available);
        sep->setData(Qt::UserRole, 0);
        for (const auto& [id, button] : TBRB) {
            bool onBar = false;
            for (const CFC_TBBUTTON& b : current)
                onBar = onBar || (!(b.fsStyle & BTNS_SEP) && b.idCommand == id);
            if (!onBar && button) {
                auto* item = new QListWidgetItem(button->TEXT, available);
                item->setData(Qt::UserRole, qlonglong(id));
            }
        }
        for (const CFC_TBBUTTON& b : current)
            new QListWidgetItem(nameOf(b), shown);
    };
    fill();
    connect(add, &QPushButton::clicked, &dialog, [&] {
        const QListWidgetItem* item = available->currentItem();
        if (!item)
            return;
        const long id = long(item->data(Qt::UserRole).toLongLong());
        CFC_TBBUTTON b;
        if (id == 0) {
            b.fsStyle = BTNS_SEP;
            b.iString = 0;
        } else if (const CFCTBRBUTTON* button = GETBUTTONBYID(id)) {
            b = button->TBBUTTON;
        }
        const int at = shown->currentRow() < 0 ? int(current.size()) : shown->currentRow();
        current.insert(current.begin() + at, b);
        fill();
        shown->setCurrentRow(at);
    });
    connect(remove, &QPushButton::clicked, &dialog, [&] {
        const int row = shown->currentRow();
        if (row < 0)
            return;
        current.erase(current.begin() + row);
        fill();
        shown->setCurrentRow(std::min(row, int(current.size()) - 1));
    });
    const auto move = [&](int by) {
        const int row = shown->currentRow();
        if (row < 0 || row + by < 0 || row + by >= int(current.size()))
            return;
        std::swap(current[size_t(row)], current[size_t(row + by)]);
        fill();
        shown->setCurrentRow(row + by);
    };
    connect(up, &QPushButton::clicked, &dialog, [&] { move(-1); });
    connect(down, &QPushButton::clicked, &dialog, [&] { move(1); });
    connect(reset, &QPushButton::clicked, &dialog, [&] {
        current = INITSTATEBUFFER.isEmpty() ? before : savedLayout();
        fill();
    });
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (vrt::runModal(dialog) != QDialog::Accepted || current == before)
        return false;
    m_layout = current;
    sync();
    if (manager)
        manager->TAKENOTIFY(*this, CFCTOOLBARMANAGER::TBN_TOOLBARCHANGE);
    else
        ONTOOLBARCHANGE();
    return true;
}

// ---- manager -----------------------------------------------------------------------------

void CFCTOOLBARMANAGER::ADDTOOLBAR(CFCTOOLBAR& toolbar)
{
    TBRQ.emplace_back(&toolbar);
    toolbar.manager = this;
}

void CFCTOOLBARMANAGER::TAKECOMMAND(CFCTOOLBAR& toolbar, long id)
{
    for (const auto& t : TBRQ)
        if (t == &toolbar) {
            if (CFCTBRBUTTON* button = toolbar.GETBUTTONBYID(id))
                button->ONCOMMAND();
            return;
        }
}

long CFCTOOLBARMANAGER::TAKENOTIFY(CFCTOOLBAR& toolbar, long code, long item, CFC_TBBUTTON* info, QString* text)
{
    switch (code) {
    case TBN_INITCUSTOMIZE: return 1; // no help button
    case TBN_TOOLBARCHANGE: toolbar.ONTOOLBARCHANGE(); return 0;
    case TBN_RESET: toolbar.ONRESET(); return 0;
    default: break;
    }
    bool registered = false;
    for (const auto& t : TBRQ)
        registered = registered || t == &toolbar;
    if (!registered)
        return 0;
    switch (code) {
    case TBN_DROPDOWN: {
        CFCTBRBUTTON* button = toolbar.GETBUTTONBYID(item);
        if (!button || !button->menu())
            return 0;
        button->ONDROPDOWN(*button->menu());
        return 0;
    }
    case TBN_QUERYDELETE:
    case TBN_QUERYINSERT: return 1;
    case TBN_GETBUTTONINFO: {
        if (item < 0 || size_t(item) >= toolbar.TBRB.size())
            return 0;
        CFCTBRBUTTON* button = toolbar.TBRB[size_t(item)].second;
        if (!button)
            return 0;
        if (info)
            *info = button->TBBUTTON;
        if (text && !button->TEXT.isEmpty())
            *text = button->TEXT;
        return 1;
    }
    default: return 0;
    }
}

// ---- rebar -------------------------------------------------------------------------------

namespace {
// A band's grip: shows that the band is one, and refuses to be dragged.
class BandGrip : public QWidget {
public:
    explicit BandGrip(QWidget* parent) : QWidget(parent) { setFixedWidth(8); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        const QColor light = palette().color(QPalette::Light);
        const QColor dark = palette().color(QPalette::Dark);
        for (int y = 4; y + 3 < height() - 2; y += 4) {
            p.fillRect(2, y, 2, 2, dark);
            p.fillRect(3, y + 1, 2, 2, light);
        }
    }
};
} // namespace

QWidget* CFCREBAR::CREATEREBAR(QWidget* parent)
{
    PARENTHWND = parent;
    m_rebar = new QFrame(parent);
    m_rebar->setObjectName(QStringLiteral("CfcRebar"));
    static_cast<QFrame*>(m_rebar.data())->setFrameShape(QFrame::StyledPanel);
    m_bands = new QHBoxLayout(m_rebar);
    m_bands->setContentsMargins(1, 1, 1, 1);
    m_bands->setSpacing(2);
    m_bands->addStretch(1);
    if (parent)
        parent->installEventFilter(this);
    return m_rebar;
}

void CFCREBAR::ADDTOOLBAR(CFCTOOLBAR& toolbar)
{
    if (!m_bands || !toolbar.HWNDTB())
        return;
    long w = 0, h = 0;
    toolbar.GETMAXSIZEITEM(w, h);
    auto* band = new QWidget(m_rebar);
    band->setObjectName(QStringLiteral("CfcRebarBand"));
    auto* row = new QHBoxLayout(band);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(new BandGrip(band));
    toolbar.HWNDTB()->setParent(band);
    toolbar.HWNDTB()->setMinimumSize(int(w), int(h) + 2);
    row->addWidget(toolbar.HWNDTB());
    toolbar.HWNDTB()->show();
    m_bands->insertWidget(m_bands->count() - 1, band);
    band->show();
}

bool CFCREBAR::eventFilter(QObject* watched, QEvent* event)
{
    // The bar spans the top of its window as the window is resized.
    if (watched == PARENTHWND && event->type() == QEvent::Resize && m_rebar && !PARENTHWND->layout()) {
        const QSize size = static_cast<QResizeEvent*>(event)->size();
        m_rebar->setGeometry(0, 0, size.width(), m_rebar->sizeHint().height());
    }
    return QObject::eventFilter(watched, event);
}
