#include "chrome/VorovevevClass.h"

#include "chrome/ChromeGlobals.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QCoreApplication>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTimer>
#include <QToolTip>

#include "chrome/TooltipControl.h"
#include <QVBoxLayout>

using namespace ptb;

namespace {

std::function<long(const QStringList&)>& popupHookRef()
{
    static std::function<long(const QStringList&)> hook;
    return hook;
}

std::function<void(QMenu&, const VOROVEVEVCLASS&)>& popupStylerRef()
{
    static std::function<void(QMenu&, const VOROVEVEVCLASS&)> styler;
    return styler;
}

QRect toQRect(const Rect& r) { return QRect(int(r.left), int(r.top), int(r.width()), int(r.height())); }

int dpiOf(const QWidget* w)
{
    const QScreen* s = w->screen();
    return s ? int(s->logicalDotsPerInchY()) : 96;
}

// ---------------------------------------------------------------- combo boxes and entry fields

class DropComboClass : public ControlClass {
public:
    explicit DropComboClass(VOROVEVEVCLASS* tb, bool simple, const QString& prompt, bool readOnly)
        : m_tb(tb), BSIMPLE(simple), SZPROMPT(prompt.left(99)), BREADONLY(readOnly)
    {
    }

    bool INIT(Model& tb, Item& item) override
    {
        ControlClass::INIT(tb, item);
        NPROMPTWIDTH = -1;
        const long id = item.ID;
        if (BSIMPLE) {
            auto* edit = new QLineEdit(m_tb);
            edit->setMaxLength(1024);
            edit->setReadOnly(BREADONLY);
            QObject::connect(edit, &QLineEdit::textEdited, m_tb, [this, id] { edited(id); });
            QObject::connect(edit, &QLineEdit::returnPressed, m_tb, [this] { moveFocusOn(); });
            m_widget = edit;
        } else {
            auto* combo = new QComboBox(m_tb);
            combo->setEditable(true);
            combo->setInsertPolicy(QComboBox::NoInsert);
            combo->lineEdit()->setMaxLength(1024);
            combo->lineEdit()->setReadOnly(BREADONLY);
            QObject::connect(combo, &QComboBox::activated, m_tb, [this, id, combo](int index) {
                BCHANGED = false;
                m_tb->TAKEEVENT(1, m_tb->GETCONTROLBANDID(id), id, combo->itemData(index).toLongLong(), 1);
            });
            QObject::connect(combo->lineEdit(), &QLineEdit::textEdited, m_tb, [this, id] { edited(id); });
            m_widget = combo;
        }
        m_widget->setFont(m_tb->measurer().font());
        m_widget->installEventFilter(m_tb);
        if (QLineEdit* e = lineEdit())
            e->installEventFilter(m_tb);
        m_widget->setEnabled(item.BENABLED);
        if (!item.SZCAPTION.isEmpty())
            setText(item.SZCAPTION);
        m_widget->setVisible(item.BVISIBLE);
        BMOVE = true;
        return true;
    }

    void KILL(Model&, Item&) override { delete m_widget.data(); }

    long MEASUREWIDTH(const Model&, const Band& band, const Item& item, const Measurer& m) const override
    {
        if (item.NFIXEDWIDTH != 0)
            return item.NFIXEDWIDTH;
        if (band.NFIXEDWIDTH > 0)
            return band.NFIXEDWIDTH;
        auto* self = const_cast<DropComboClass*>(this);
        if (NPROMPTWIDTH == -1)
            self->NPROMPTWIDTH = SZPROMPT.trimmed().isEmpty() ? 0 : m.textWidth(SZPROMPT) + m_tb->BTNPADDING;
        return 100 + std::max<long>(0, NPROMPTWIDTH);
    }

    void REPOSITION(Model&, Band&, Item&, const Rect& A) override
    {
        if (!m_widget)
            return;
        // The field follows the toolbar's font.
        if (const QFont f = m_tb->measurer().font(); m_widget->font() != f)
            m_widget->setFont(f);
        m_widget->setGeometry(toQRect(comboFieldArea(A, NPROMPTWIDTH, RPROMPT)));
        if (auto* combo = qobject_cast<QComboBox*>(m_widget.data()))
            combo->setMaxVisibleItems(NMAXCOUNT > 0 ? int(NMAXCOUNT) : std::max(1, combo->count()));
    }

    void DRAW(PaintContext& ctx, const Band&, const Item&, const Rect&) const override
    {
        if (NPROMPTWIDTH > 0)
            ctx.drawText(SZPROMPT, RPROMPT, false, RGB(0, 0, 0), ctx.font);
    }

    void SETVISIBLE(Model&, Item& item, bool on) override
    {
        const Band* b = m_tb->GETBAND(m_tb->GETCONTROLBANDID(item.ID));
        if (m_widget)
            m_widget->setVisible(on && (!b || b->shown()));
    }
    void SETENABLED(Model&, Item&, bool on) override
    {
        if (m_widget)
            m_widget->setEnabled(on);
    }

    QLineEdit* lineEdit() const
    {
        if (auto* combo = qobject_cast<QComboBox*>(m_widget.data()))
            return combo->lineEdit();
        return qobject_cast<QLineEdit*>(m_widget.data());
    }
    QComboBox* combo() const { return qobject_cast<QComboBox*>(m_widget.data()); }
    QString text() const { return lineEdit() ? lineEdit()->text() : QString(); }
    void setText(const QString& t)
    {
        if (QLineEdit* e = lineEdit())
            e->setText(t.left(1024));
    }
    void setReadOnly(bool on)
    {
        BREADONLY = on;
        if (QLineEdit* e = lineEdit())
            e->setReadOnly(on);
    }
    void focusLeft(long id)
    {
        if (!BCHANGED)
            return;
        BCHANGED = false;
        long value = 0;
        if (QComboBox* c = combo(); c && c->currentIndex() >= 0 && c->currentText() == c->itemText(c->currentIndex()))
            value = c->itemData(c->currentIndex()).toLongLong();
        m_tb->TAKEEVENT(1, m_tb->GETCONTROLBANDID(id), id, value, 1);
    }
    bool owns(QObject* o) const { return o && (o == m_widget || o == lineEdit()); }

    // Style 2 lights a frame while the pointer is over the field or it has the focus.
    void trackBorder(QEvent::Type type)
    {
        if (m_tb->GETSTYLE() != 2 || !m_widget)
            return;
        const bool focused = m_widget->hasFocus() || (lineEdit() && lineEdit()->hasFocus());
        switch (type) {
        case QEvent::FocusIn:
        case QEvent::Enter:
        case QEvent::MouseMove: BBORDER = true; break;
        case QEvent::FocusOut: BBORDER = false; break;
        case QEvent::Leave: BBORDER = focused; break;
        default: return;
        }
        if (BBORDER != BLASTBORDER)
            m_widget->update();
        BLASTBORDER = BBORDER;
    }
    // TAKEPAINT: with themes active, a one-pixel frame around the field, white or colour 39.
    void paintFrame()
    {
        QPainter p(m_widget);
        p.setPen(BBORDER ? toQColor(COLORREF(m_tb->GETCOLOR(39))) : QColor(Qt::white));
        p.drawRect(m_widget->rect().adjusted(0, 0, -1, -1));
    }
    bool BBORDER = false;
    bool BLASTBORDER = false;

    QPointer<QWidget> m_widget;
    VOROVEVEVCLASS* m_tb;
    bool BSIMPLE = false;
    QString SZPROMPT;
    long NPROMPTWIDTH = -1;
    bool BMOVE = false;
    bool BCHANGED = false;
    bool BREADONLY = false;
    Rect RPROMPT;
    long NMAXCOUNT = 0;

private:
    void edited(long id)
    {
        BCHANGED = true;
        m_tb->TAKEEVENT(2, m_tb->GETCONTROLBANDID(id), id, 0, 1);
    }
    void moveFocusOn()
    {
        if (QWidget* w = m_widget ? m_widget->nextInFocusChain() : nullptr)
            w->setFocus(Qt::TabFocusReason);
    }
};

// ---------------------------------------------------------------- hosted window controls

class CwContainerClass : public ControlClass {
public:
    CwContainerClass(VOROVEVEVCLASS* tb, QWidget* control, const QString& prompt)
        : m_tb(tb), m_control(control), SZPROMPT(prompt.left(99))
    {
    }

    bool INIT(Model& tb, Item& item) override
    {
        ControlClass::INIT(tb, item);
        if (!m_control)
            return false;
        m_oldParent = m_control->parentWidget();
        m_oldGeometry = m_control->geometry();
        m_wasVisible = !m_control->isHidden();
        m_oldLayout = m_oldParent && m_oldParent->layout() && m_oldParent->layout()->indexOf(m_control) >= 0
                          ? m_oldParent->layout()
                          : nullptr;
        ORGWIDTH = m_control->width();
        if (m_oldLayout) {
            m_placeholder = new QWidget(m_oldParent);
            m_placeholder->hide();
            delete m_oldLayout->replaceWidget(m_control, m_placeholder);
        }
        m_control->setParent(m_tb);
        m_control->setVisible(item.BVISIBLE);
        m_control->setEnabled(item.BENABLED);
        // Without themes the toolbar draws the control's border; with them the control blends in.
        BDRAWBORDER = !tb.GETPXPREFERENCES();
        m_control->installEventFilter(m_tb);
        return true;
    }

    // The control goes back where it was, as it was.
    void KILL(Model&, Item&) override
    {
        if (!m_control)
            return;
        m_control->removeEventFilter(m_tb);
        if (m_oldLayout && m_placeholder) {
            m_control->setParent(m_oldParent);
            delete m_oldLayout->replaceWidget(m_placeholder, m_control);
            delete m_placeholder.data();
        } else {
            m_control->setParent(m_oldParent);
            m_control->setGeometry(m_oldGeometry);
        }
        m_control->setVisible(m_wasVisible);
        m_control = nullptr;
    }

    long MEASUREWIDTH(const Model&, const Band&, const Item& item, const Measurer& m) const override
    {
        if (item.NFIXEDWIDTH != 0)
            return item.NFIXEDWIDTH;
        if (ORGWIDTH == 0)
            return 50;
        auto* self = const_cast<CwContainerClass*>(this);
        self->NPROMPTWIDTH = SZPROMPT.trimmed().isEmpty() ? 0 : m.textWidth(SZPROMPT) + 2 * m_tb->BTNPADDING;
        return ORGWIDTH + NPROMPTWIDTH;
    }

    void REPOSITION(Model& tb, Band&, Item&, const Rect& A) override
    {
        if (NPROMPTWIDTH > 0)
            RPROMPT = {A.left + 1, A.top + tb.BTNPADDING, A.left + NPROMPTWIDTH, A.bottom - 1};
        if (m_control)
            m_control->setGeometry(int(A.left + NPROMPTWIDTH + 2), int(A.top + 1), int(A.width() - NPROMPTWIDTH - 2),
                                   int(A.height() - 1));
    }

    void DRAW(PaintContext& ctx, const Band&, const Item&, const Rect&) const override
    {
        if (NPROMPTWIDTH > 0)
            ctx.drawText(SZPROMPT, RPROMPT, false, RGB(0, 0, 0), ctx.font);
    }

    void SETVISIBLE(Model&, Item& item, bool on) override
    {
        const Band* b = m_tb->GETBAND(m_tb->GETCONTROLBANDID(item.ID));
        if (m_control)
            m_control->setVisible(on && (!b || b->shown()));
        if (NSEPARATORID1)
            m_tb->SETVISIBLE(NSEPARATORID1, on);
        if (NSEPARATORID2)
            m_tb->SETVISIBLE(NSEPARATORID2, on);
    }
    void SETENABLED(Model&, Item&, bool on) override
    {
        if (m_control)
            m_control->setEnabled(on);
    }
    long separatorBefore() const override { return NSEPARATORID1; }
    long separatorAfter() const override { return NSEPARATORID2; }

    VOROVEVEVCLASS* m_tb;
    QPointer<QWidget> m_control;
    QPointer<QWidget> m_oldParent;
    QPointer<QLayout> m_oldLayout;
    QPointer<QWidget> m_placeholder;
    QRect m_oldGeometry;
    bool m_wasVisible = true;
    long ORGWIDTH = 0;
    QString SZPROMPT;
    long NPROMPTWIDTH = 0;
    Rect RPROMPT;
    long NSEPARATORID1 = 0;
    long NSEPARATORID2 = 0;
    bool BDRAWBORDER = false;
};

// ---------------------------------------------------------------- mirroring buttons

class MimicButtonClass : public ButtonClass, public QObject {
public:
    MimicButtonClass(VOROVEVEVCLASS* tb, QAbstractButton* button, unsigned long flags)
        : m_tb(tb), m_button(button)
    {
        BMIMICTEXT = TESTFLAG(flags, PTB_MIMICTEXT);
        BMIMICICON = TESTFLAG(flags, PTB_MIMICICON);
        BMIMICTOOLTIP = TESTFLAG(flags, PTB_MIMICTOOLTIP);
        BMIMICENABLE = TESTFLAG(flags, PTB_MIMICENABLE);
        BMIMICSHOW = TESTFLAG(flags, PTB_MIMICSHOW);
    }

    bool INIT(Model& tb, Item& item) override
    {
        ButtonClass::INIT(tb, item);
        if (m_button)
            m_button->installEventFilter(this);
        return true;
    }

    void KILL(Model&, Item&) override
    {
        if (m_button)
            m_button->removeEventFilter(this);
        m_button = nullptr;
    }

    long MEASUREWIDTH(const Model& tb, const Band& band, const Item& item, const Measurer& m) const override
    {
        return ButtonClass::MEASUREWIDTH(tb, band, item, m);
    }

    // Copies what the flags ask for from the window button; a new caption or tooltip lays the
    // toolbar out again.
    void UPDATEMIMIC()
    {
        if (!m_button)
            return;
        Item* item = m_tb->GETCONTROL(ID);
        if (!item)
            return;
        bool changed = false;
        if (BMIMICTEXT && m_button->text() != item->SZCAPTION) {
            item->SZCAPTION = m_button->text();
            changed = true;
        }
        if (BMIMICTOOLTIP && m_button->toolTip() != SZTOOLTIP) {
            SZTOOLTIP = m_button->toolTip();
            changed = true;
        }
        const QString iconName = m_button->property("rtIcon").toString();
        if (BMIMICICON && iconName != item->SZICON)
            m_tb->SETICON(ID, iconName);
        if (BMIMICENABLE && m_button->isEnabled() != m_tb->GETENABLED(ID))
            m_tb->SETENABLED(ID, m_button->isEnabled());
        if (BMIMICSHOW && m_button->isHidden() == m_tb->GETVISIBLE(ID))
            m_tb->SETVISIBLE(ID, !m_button->isHidden());
        if (changed)
            m_tb->REFRESH(true);
    }

    bool eventFilter(QObject*, QEvent* e) override
    {
        switch (e->type()) {
        case QEvent::EnabledChange:
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::ShowToParent:
        case QEvent::HideToParent:
        case QEvent::ToolTipChange:
        case QEvent::Paint:
            // The button's text and icon have no change event of their own; its next paint shows them.
            QTimer::singleShot(0, m_tb, [p = QPointer<MimicButtonClass>(this)] {
                if (p)
                    p->UPDATEMIMIC();
            });
            break;
        default:
            break;
        }
        return false;
    }

    VOROVEVEVCLASS* m_tb;
    QPointer<QAbstractButton> m_button;
    bool BMIMICTEXT = false, BMIMICICON = false, BMIMICTOOLTIP = false, BMIMICENABLE = false, BMIMICSHOW = false;
};

DropComboClass* comboOf(const Item* item)
{
    return item && item->NTYPE == KIND_DROPCOMBO ? static_cast<DropComboClass*>(item->PCONTROL.get()) : nullptr;
}
CwContainerClass* containerOf(const Item* item)
{
    return item && item->NTYPE == KIND_CWCONTAINER ? static_cast<CwContainerClass*>(item->PCONTROL.get()) : nullptr;
}

// The top strip of a main window the toolbar owns: the toolbar above the window's contents.
class ToolbarStrip : public QWidget {
};

// ---------------------------------------------------------------- the customize dialog

class CustomizeDialog : public QDialog {
public:
    CustomizeDialog(VOROVEVEVCLASS* tb)
        : QDialog(tb->window())
        , m_tb(tb)
    {
        setWindowTitle(tr("Customize"));
        setObjectName(QStringLiteral("ptbCustomizeDialog"));
        m_list = new QListWidget(this);
        m_list->setObjectName(QStringLiteral("LIST1"));
        m_hideShow = new QPushButton(tr("&Hide/Show"), this);
        m_hideShow->setObjectName(QStringLiteral("HIDESHOW"));
        m_up = new QPushButton(tr("&Up"), this);
        m_up->setObjectName(QStringLiteral("MOVEUP"));
        m_down = new QPushButton(tr("&Down"), this);
        m_down->setObjectName(QStringLiteral("MOVEDOWN"));
        auto* close = new QPushButton(tr("&Close"), this);
        close->setObjectName(QStringLiteral("CLOSE"));
        auto* buttons = new QVBoxLayout;
        for (QPushButton* b : {m_hideShow, m_up, m_down, close})
            buttons->addWidget(b);
        buttons->addStretch();
        auto* row = new QHBoxLayout(this);
        row->addWidget(m_list, 1);
        row->addLayout(buttons);
        for (long band : customizableBands(tb->BANDQ)) {
            const Band* b = tb->GETBAND(band);
            auto* line = new QListWidgetItem(b->SZNAME, m_list);
            line->setData(Qt::UserRole, qlonglong(band));
        }
        refreshIcons();
        connect(m_list, &QListWidget::currentRowChanged, this, [this] { updateButtons(); });
        connect(m_list, &QListWidget::itemDoubleClicked, this, [this] { hideShow(); });
        connect(m_hideShow, &QPushButton::clicked, this, [this] { hideShow(); });
        connect(m_up, &QPushButton::clicked, this, [this] { move(-1); });
        connect(m_down, &QPushButton::clicked, this, [this] { move(1); });
        connect(close, &QPushButton::clicked, this, &QDialog::accept);
        updateButtons();
    }

private:
    static QIcon checkIcon(bool on)
    {
        QImage image(16, 16, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.setPen(QColor(64, 64, 64));
        p.setBrush(Qt::white);
        p.drawRect(2, 2, 11, 11);
        if (on) {
            p.setPen(QPen(QColor(0, 0, 0), 2));
            p.drawLine(4, 8, 7, 11);
            p.drawLine(7, 11, 12, 4);
        }
        return QIcon(QPixmap::fromImage(image));
    }
    void refreshIcons()
    {
        for (int i = 0; i < m_list->count(); ++i) {
            const Band* b = m_tb->GETBAND(long(m_list->item(i)->data(Qt::UserRole).toLongLong()));
            // The icon follows the user's own choice.
            m_list->item(i)->setIcon(checkIcon(b && !b->BUSERHIDDEN));
            m_list->item(i)->setData(Qt::UserRole + 1, b && !b->BUSERHIDDEN);
        }
    }
    void updateButtons()
    {
        const int row = m_list->currentRow();
        m_hideShow->setEnabled(row >= 0);
        m_up->setEnabled(row >= 1);
        m_down->setEnabled(row >= 0 && row < m_list->count() - 1);
    }
    void hideShow()
    {
        QListWidgetItem* line = m_list->currentItem();
        if (!line) {
            updateButtons();
            return;
        }
        m_tb->toggleUserHidden(long(line->data(Qt::UserRole).toLongLong()));
        refreshIcons();
    }
    void move(int direction)
    {
        const int row = m_list->currentRow();
        if (row < 0) {
            updateButtons();
            return;
        }
        const int to = row + direction;
        if (to < 0 || to >= m_list->count())
            return;
        const long band = long(m_list->item(row)->data(Qt::UserRole).toLongLong());
        const long other = long(m_list->item(to)->data(Qt::UserRole).toLongLong());
        // Bands not listed keep their places: the two listed bands change places.
        std::lock_guard<std::recursive_mutex> lock(m_tb->CRIT());
        size_t a = 0, b = 0;
        for (size_t i = 0; i < m_tb->BANDQ.size(); ++i) {
            if (m_tb->BANDQ[i].ID == band)
                a = i;
            if (m_tb->BANDQ[i].ID == other)
                b = i;
        }
        std::swap(m_tb->BANDQ[a], m_tb->BANDQ[b]);
        QListWidgetItem* line = m_list->takeItem(row);
        m_list->insertItem(to, line);
        m_list->setCurrentRow(to);
        m_tb->REFRESH(true);
        updateButtons();
    }

    VOROVEVEVCLASS* m_tb;
    QListWidget* m_list;
    QPushButton* m_hideShow;
    QPushButton* m_up;
    QPushButton* m_down;
};

} // namespace

// ---------------------------------------------------------------- the toolbar

namespace {

// The toolbar's keyboard mode as its popups read it while open.
class ToolbarKeyboardMode : public ptb::KeyboardMode {
public:
    explicit ToolbarKeyboardMode(const VOROVEVEVCLASS& toolbar) : m_toolbar(toolbar) {}
    bool keyboardActive() const override { return m_toolbar.BHOTKEYACTIVE; }

private:
    const VOROVEVEVCLASS& m_toolbar;
};

} // namespace

VOROVEVEVCLASS::VOROVEVEVCLASS(QWidget* parent)
    : QWidget(parent), m_keyboardMode(std::make_shared<ToolbarKeyboardMode>(*this))
{
    loadToolbarFonts();
    const long colours = GETDESKTOPPALETTESIZE();
    NOGRADIENT = colours >= 1 && colours <= 256;
    SETSTYLE(STYLE);
    SETFONT(QStringLiteral("Tahoma"), 8);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_hoverTimer = new QTimer(this);
    m_hoverTimer->setInterval(100);
    connect(m_hoverTimer, &QTimer::timeout, this, [this] { hoverTick(); });
    setFixedHeight(27);
}

VOROVEVEVCLASS::~VOROVEVEVCLASS()
{
    // Other threads stop reaching this toolbar before any of it goes.
    if (PGLOBALHOOK* g = global())
        g->toolbarGone(this);
    m_hoverTimer->stop();
    // Item objects first (hosted widgets go back to their windows), then the window's menu bar.
    for (auto b = BANDQ.rbegin(); b != BANDQ.rend(); ++b)
        for (Item& item : b->CONTROLQ)
            if (item.PCONTROL) {
                item.PCONTROL->KILL(*this, item);
                item.PCONTROL.reset();
            }
    if (m_menuBar)
        m_menuBar->show();
    if (QWidget* w = window(); w && w != this)
        w->removeEventFilter(this);
    // The window's own contents go back to being its central widget, unless the window is
    // going (its strip is then mid-destruction and no longer a strip).
    if (auto* strip = dynamic_cast<ToolbarStrip*>(parentWidget()); strip && m_mainWindow &&
                                                                    m_mainWindow->centralWidget() == strip) {
        setParent(nullptr);
        if (m_central) {
            m_central->setParent(nullptr);
            m_mainWindow->setCentralWidget(m_central); // deletes the strip
        } else {
            m_mainWindow->setCentralWidget(nullptr);
        }
    }
    if (m_host) {
        // The host takes its slot back.
        if (QWidget* parent = parentWidget(); parent && parent->layout() && parent->layout()->indexOf(this) >= 0 &&
                                             m_host->parentWidget() == parent)
            delete parent->layout()->replaceWidget(this, m_host);
        m_host->show();
    }
}

void VOROVEVEVCLASS::setPopupHook(std::function<long(const QStringList&)> hook) { popupHookRef() = std::move(hook); }
const std::function<long(const QStringList&)>& VOROVEVEVCLASS::popupHook() { return popupHookRef(); }

void VOROVEVEVCLASS::setPopupStyler(std::function<void(QMenu&, const VOROVEVEVCLASS&)> styler)
{
    popupStylerRef() = std::move(styler);
}

ptb::PopupLook VOROVEVEVCLASS::popupLook() const
{
    ptb::PopupLook look;
    look.menuStyle = int(MENUSTYLE);
    look.menuHeight = NMENUHEIGHT;
    look.colors = const_cast<VOROVEVEVCLASS*>(this)->colors();
    look.font = measurer().font();
    look.checkFont = marlettFont(18);
    look.keyboard = m_keyboardMode;
    return look;
}

std::unique_ptr<ptb::PopupStyleScope> VOROVEVEVCLASS::stylePopup(QMenu& popup) const
{
    if (MENUSTYLE < 0)
        return nullptr;
    if (popupStylerRef()) {
        popupStylerRef()(popup, *this);
        return nullptr;
    }
    return std::make_unique<ptb::PopupStyleScope>(popup, popupLook());
}

long VOROVEVEVCLASS::CALCULATEMENUHOTKEYX(const QMenu& popup) const
{
    return ptb::PopupStyle(popupLook()).hotKeyX(popup);
}

// Hosted controls are reached with Tab in the order they stand on the toolbar.
void VOROVEVEVCLASS::REVERSECWTABORDER()
{
    QWidget* previous = nullptr;
    for (const Band& b : BANDQ)
        for (const Item& i : b.CONTROLQ) {
            QWidget* w = nullptr;
            if (const CwContainerClass* h = containerOf(&i))
                w = h->m_control;
            else if (const DropComboClass* c = comboOf(&i))
                w = c->m_widget;
            if (!w)
                continue;
            if (previous)
                QWidget::setTabOrder(previous, w);
            previous = w;
        }
}

void VOROVEVEVCLASS::INITCONTROL(QMainWindow* window, bool autoResize)
{
    if (INITED || !window || m_host)
        return;
    // The window's toolbar: the strip at the top of its client area, above its own contents.
    m_autoResize = autoResize;
    m_mainWindow = window;
    ISTOOLBAR = true;
    m_central = window->takeCentralWidget();
    auto* strip = new ToolbarStrip;
    auto* layout = new QVBoxLayout(strip);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(this);
    if (m_central)
        layout->addWidget(m_central, 1);
    else
        layout->addStretch(1);
    window->setCentralWidget(strip);
    m_colorsSet = false;
    FIRSTCALCULATE = true;
    window->installEventFilter(this);
}

void VOROVEVEVCLASS::INITCONTROL(QWidget* host, bool autoResize)
{
    if (auto* main = qobject_cast<QMainWindow*>(host)) {
        INITCONTROL(main, autoResize);
        return;
    }
    if (INITED || !host || m_mainWindow)
        return;
    m_autoResize = autoResize;
    m_host = host;
    QWidget* parent = host->parentWidget();
    if (parent && parent->layout() && parent->layout()->indexOf(host) >= 0) {
        delete parent->layout()->replaceWidget(host, this);
    } else {
        setParent(parent);
        setGeometry(host->geometry());
    }
    host->hide();
    show();
    m_colorsSet = false;
    FIRSTCALCULATE = true;
    if (QWidget* w = window(); w && w != this)
        w->installEventFilter(this);
}

void VOROVEVEVCLASS::INIT()
{
    Model::INIT();
    REVERSECWTABORDER();
    layoutNow();
    update();
}


void VOROVEVEVCLASS::SETDEFAULTCOLORS()
{
    const bool follow = USETHEMECOLORS && themesActive();
    ptb::SETDEFAULTCOLORS(m_colors, follow, [this](long i) { return m_pxp ? m_pxp->GETCOLOR(i) : 0; });
    m_colorsSet = true;
}

const ColorTable& VOROVEVEVCLASS::colors()
{
    if (!m_colorsSet)
        SETDEFAULTCOLORS();
    return m_colors;
}

long VOROVEVEVCLASS::GETCOLOR(long index)
{
    return index >= 1 && index <= 60 ? colors()[size_t(index)] : 0;
}

FontMeasurer VOROVEVEVCLASS::measurer() const { return FontMeasurer(FONTNAME, FONTSIZE, dpiOf(this)); }

void VOROVEVEVCLASS::REFRESH(bool recalculate)
{
    if (BDELAYREFRESH)
        return;
    Model::REFRESH(recalculate);
    update();
}

void VOROVEVEVCLASS::updateMdiState()
{
    const bool was = BMDIVISIBLE;
    BMDIVISIBLE = false;
    if (QWidget* w = window())
        if (auto* area = w->findChild<QMdiArea*>()) {
            // The child windows tell when they are maximised or restored.
            for (QMdiSubWindow* sub : area->subWindowList())
                sub->installEventFilter(this);
            if (QMdiSubWindow* first = area->subWindowList().value(0))
                BMDIVISIBLE = first->isMaximized();
        }
    if (was != BMDIVISIBLE)
        update();
}

void VOROVEVEVCLASS::layoutNow()
{
    updateMdiState();
    const FontMeasurer m = measurer();
    const long h = CALCULATE(*this, {0, 0, width(), height()}, m);
    FIRSTCALCULATE = RECALCULATE = false;
    if (m_balloon)
        syncBalloonTools();
    if (m_autoResize && h != m_lastHeight) {
        m_lastHeight = h;
        setFixedHeight(int(h));
    }
}

void VOROVEVEVCLASS::paintEvent(QPaintEvent*)
{
    if (INITED && (FIRSTCALCULATE || RECALCULATE))
        layoutNow();
    QPainter painter(this);
    const FontMeasurer m = measurer();
    PaintContext ctx{painter, *this, colors(), m.font(), marlettFont(m.font().pixelSize()), dpiOf(this),
                     themesActive()};
    TAKEPAINTEVENT(ctx, {0, 0, width(), height()});
}

void VOROVEVEVCLASS::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    RECALCULATE = true;
    update();
}

void VOROVEVEVCLASS::changeEvent(QEvent* e)
{
    if (e->type() == QEvent::PaletteChange || e->type() == QEvent::StyleChange) {
        SETSTYLE(STYLE);
        SETMENUSTYLE(MENUSTYLE);
        m_colorsSet = false;
        update();
    }
    QWidget::changeEvent(e);
}

void VOROVEVEVCLASS::startHoverTimer()
{
    if (!m_hoverTimer->isActive())
        m_hoverTimer->start();
}

void VOROVEVEVCLASS::hoverTick()
{
    const QPoint global = QCursor::pos();
    const QPoint local = mapFromGlobal(global);
    const bool over = rect().contains(local) && (!QApplication::widgetAt(global) || QApplication::widgetAt(global) == this);
    if (HASOPENMENU)
        return; // the open popup's own loop decides; the next tick after it closes opens the next
    TAKETIMEREVENT(over, local.x(), local.y());
    if (!NTRACKINGMODE && !over)
        m_hoverTimer->stop();
}

void VOROVEVEVCLASS::mouseMoveEvent(QMouseEvent* e)
{
    startHoverTimer();
    TAKEMOUSEMOVEEVENT(long(e->position().x()), long(e->position().y()));
}

void VOROVEVEVCLASS::mousePressEvent(QMouseEvent* e)
{
    const long x = long(e->position().x()), y = long(e->position().y());
    if (e->button() == Qt::LeftButton) {
        TAKEMOUSEMOVEEVENT(x, y);
        BLEFTFLAG = true;
        TAKEMOUSEBUTTONEVENT(1, x, y);
    } else if (e->button() == Qt::RightButton) {
        BRIGHTFLAG = true;
        CUSTOMIZEMENU();
    }
}

void VOROVEVEVCLASS::mouseReleaseEvent(QMouseEvent* e)
{
    const long x = long(e->position().x()), y = long(e->position().y());
    if (e->button() == Qt::LeftButton) {
        BLEFTFLAG = false;
        TAKEMOUSEBUTTONEVENT(1, x, y);
    } else if (e->button() == Qt::RightButton && BRIGHTFLAG) {
        BRIGHTFLAG = false;
        TAKEMOUSEBUTTONEVENT(2, x, y);
    }
}

void VOROVEVEVCLASS::leaveEvent(QEvent* e)
{
    QWidget::leaveEvent(e);
    startHoverTimer();
}

bool VOROVEVEVCLASS::event(QEvent* e)
{
    if (e->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(e);
        // Balloon tips come from the tooltip control, which watches the toolbar itself; an
        // event that reaches here had no tool under it, or the tools were not made yet.
        const bool hadBalloon = bool(m_balloon);
        syncBalloonTools();
        if (TOOLTIPMODE == 2) {
            QToolTip::hideText();
            if (!hadBalloon && m_balloon)
                QCoreApplication::sendEvent(this, e);
            return true;
        }
        if (TOOLTIPMODE == 0) {
            QToolTip::hideText();
            return true;
        }
        for (const Band& b : BANDQ) {
            if (!b.shown())
                continue;
            for (const Item& i : b.CONTROLQ)
                if (i.BVISIBLE && i.RAREA.contains(help->pos().x(), help->pos().y())) {
                    const QFontMetrics metrics(QToolTip::font());
                    const QString tip =
                        i.PCONTROL ? wrapTooltip(i.PCONTROL->GETTOOLTIP(), NTIPMAXWIDTH,
                                                 [&](const QString& t) { return metrics.horizontalAdvance(t); })
                                   : QString();
                    if (tip.isEmpty())
                        break;
                    QToolTip::showText(help->globalPos(), tip, this, toQRect(i.RAREA));
                    return true;
                }
        }
        QToolTip::hideText();
        e->ignore();
        return true;
    }
    return QWidget::event(e);
}

bool VOROVEVEVCLASS::eventFilter(QObject* watched, QEvent* e)
{
    // Combo boxes and entry fields: focus leaving after an edit reports it; Return and Tab move on.
    for (Band& b : BANDQ)
        for (Item& i : b.CONTROLQ)
            if (DropComboClass* c = comboOf(&i); c && c->owns(watched)) {
                if (e->type() == QEvent::FocusOut)
                    c->focusLeft(i.ID);
                c->trackBorder(e->type());
                if (e->type() == QEvent::Paint && watched == c->m_widget && !m_paintingFrame && GETPXPREFERENCES()) {
                    // The field paints itself first; the frame goes on top.
                    m_paintingFrame = true;
                    QCoreApplication::sendEvent(watched, e);
                    m_paintingFrame = false;
                    c->paintFrame();
                    return true;
                }
                return false;
            }
    // Hosted controls: without themes a grey frame one pixel inside, over the control's own paint.
    if (e->type() == QEvent::Paint && !m_paintingFrame)
        for (Band& b : BANDQ)
            for (Item& i : b.CONTROLQ)
                if (CwContainerClass* h = containerOf(&i); h && h->BDRAWBORDER && watched == h->m_control) {
                    m_paintingFrame = true;
                    QCoreApplication::sendEvent(watched, e);
                    m_paintingFrame = false;
                    QPainter p(h->m_control);
                    p.setPen(QColor(136, 136, 136));
                    p.drawRect(h->m_control->rect().adjusted(1, 1, -2, -2));
                    return true;
                }
    if (watched == m_openPopup && m_openPopup) {
        if (e->type() == QEvent::KeyPress) {
            auto* k = static_cast<QKeyEvent*>(e);
            BHOTKEYACTIVE = true;
            const bool sub = m_openPopup->activeAction() && m_openPopup->activeAction()->menu();
            if (k->key() == Qt::Key_Left || (k->key() == Qt::Key_Right && !sub)) {
                const long next = GETNEXTORPREVIOUSCONTROL(OPENMENUID, k->key() == Qt::Key_Left);
                if (next && next != OPENMENUID) {
                    CLEARMENUACTIVE(0);
                    REOPENMENUID = next;
                    BSELECTFIRST = true;
                    const QPoint c = mapFromGlobal(QCursor::pos());
                    PMOUSEKEYX = c.x();
                    PMOUSEKEYY = c.y();
                    m_openPopup->close();
                    return true;
                }
            } else if (k->key() == Qt::Key_Escape || k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter ||
                       (k->key() == Qt::Key_1 && (k->modifiers() & Qt::KeypadModifier))) {
                // Keypad 1 leaves menu mode too, as it always has.
                leaveMenuMode();
            }
        } else if (e->type() == QEvent::MouseMove) {
            // The popup holds the mouse: a sweep over the menu band switches to that title.
            const QPoint p = mapFromGlobal(static_cast<QMouseEvent*>(e)->globalPosition().toPoint());
            BHOTKEYACTIVE = false;
            if (RMENUBAR.contains(p.x(), p.y()))
                TAKEMOUSEMOVEEVENT(p.x(), p.y());
        }
        return false;
    }
    if (watched == window() && e->type() == QEvent::Close && e->isAccepted()) {
        std::lock_guard<std::recursive_mutex> lock(CRIT());
        BISCLOSING = true;
    }
    if (watched == window() && (e->type() == QEvent::Resize || e->type() == QEvent::WindowStateChange)) {
        updateMdiState();
        update();
    }
    if (qobject_cast<QMdiSubWindow*>(watched) && e->type() == QEvent::WindowStateChange) {
        updateMdiState();
        update();
    }
    return QWidget::eventFilter(watched, e);
}

// ---------------------------------------------------------------- popups

long VOROVEVEVCLASS::showPopup(const QStringList& texts, const QPoint& global, const QList<bool>& checked,
                                const QStringList& icons)
{
    if (popupHookRef())
        return popupHookRef()(texts);
    QMenu menu(this);
    const auto styled = stylePopup(menu);
    QList<QAction*> actions;
    for (int i = 0; i < texts.size(); ++i) {
        if (texts[i] == QLatin1String("-")) {
            menu.addSeparator();
            actions << nullptr;
            continue;
        }
        QAction* a = menu.addAction(texts[i]);
        if (i < icons.size() && !icons[i].isEmpty())
            if (const QImage icon = LOADICON(icons[i], 16, 16, APPNAME); !icon.isNull())
                a->setIcon(QIcon(QPixmap::fromImage(icon)));
        if (i < checked.size()) {
            a->setCheckable(true);
            a->setChecked(checked[i]);
        }
        actions << a;
    }
    QAction* chosen = menu.exec(global);
    long position = 0;
    for (int i = 0; i < actions.size(); ++i) {
        if (actions[i])
            ++position;
        if (actions[i] && actions[i] == chosen)
            return position;
    }
    return 0;
}

DropAnswer VOROVEVEVCLASS::DROPDOWNMENU(long id)
{
    Item* item = GETCONTROL(id);
    DropButtonClass* d = item ? item->dropButton() : nullptr;
    if (!d || d->ITEMQ.empty() || MENUISCLOSING)
        return {};
    QStringList texts, icons;
    for (const DropEntry& e : d->ITEMQ) {
        texts << e.SZTXT;
        icons << e.SZICON;
    }
    d->BHASOPENMENU = true;
    update();
    const QPoint at = mapToGlobal(QPoint(int(item->RAREA.left), int(item->RAREA.bottom)));
    const long position = showPopup(texts, at, {}, icons);
    closingGuard();
    item = GETCONTROL(id);
    d = item ? item->dropButton() : nullptr;
    if (!d)
        return {DropAnswer::Cancelled, 0};
    d->BHASOPENMENU = false;
    if (position <= 0)
        return {DropAnswer::Cancelled, 0};
    return {DropAnswer::Chosen, d->answerFor(position)};
}

void VOROVEVEVCLASS::closingGuard()
{
    MENUISCLOSING = true;
    QTimer::singleShot(300, this, [this] { MENUISCLOSING = false; });
}

void VOROVEVEVCLASS::CUSTOMIZEMENU()
{
    if (!BRIGHTCLICKCUSTOMIZE)
        return;
    QStringList texts;
    QList<bool> checked;
    for (long band : customizableBands(BANDQ)) {
        const Band* b = GETBAND(band);
        texts << b->SZNAME;
        checked << !b->BUSERHIDDEN;
    }
    texts << QStringLiteral("-") << tr("Customize");
    const long choice = showPopup(texts, QCursor::pos(), checked);
    BRIGHTFLAG = false;
    takeCustomizeChoice(choice);
}

void VOROVEVEVCLASS::CUSTOMIZEDIALOG()
{
    CustomizeDialog dialog(this);
    dialog.exec();
    REFRESH(true);
}

QAction* VOROVEVEVCLASS::menuAction(long entryId) const
{
    const Item* item = GETCONTROL(entryId);
    const MenuClass* m = item ? item->menu() : nullptr;
    if (!m || m->NMENUPOS < 0 || m->NMENUPOS >= m_menuActions.size())
        return nullptr;
    return m_menuActions[int(m->NMENUPOS)];
}

void VOROVEVEVCLASS::ADDMENU(long band, unsigned long flags, QMenuBar* bar)
{
    if (NMENUBANDID || GETBAND(band))
        return;
    if (!bar)
        if (auto* main = qobject_cast<QMainWindow*>(window()))
            bar = main->findChild<QMenuBar*>(QString(), Qt::FindDirectChildrenOnly);
    if (!bar)
        return;
    NMENUBANDID = band;
    m_menuBar = bar;
    bar->hide();
    ADDBAND(band, BAND_FULL | BAND_NOTLISTED | (flags & (BAND_FLAT | BAND_NOGRIP)), {}, BAND_MENU);
    Band* b = GETBAND(band);
    b->BSHOWICONS = false;
    b->BCUSTOMIZE = false;
    b->NFIXEDHEIGHT = 23;
    NMENUHEIGHT = 23;
    m_menuActions.clear();
    long pos = 0;
    for (QAction* a : bar->actions()) {
        if (a->isSeparator())
            continue;
        const long id = band + pos;
        Item item;
        item.ID = id;
        item.NTYPE = KIND_MENU;
        item.SZCAPTION = a->text().left(99);
        item.BVISIBLE = a->isVisible();
        item.BENABLED = a->isEnabled();
        auto obj = std::make_unique<MenuClass>();
        obj->hasPopup = a->menu() != nullptr;
        obj->NMENUPOS = pos;
        obj->SZHOTKEY = GETMENUCHAR(a->text());
        item.PCONTROL = std::move(obj);
        insertItem(band, std::move(item), -1);
        m_menuActions << a;
        if (const QChar c = hotKeyChar(a->text()); !c.isNull()) {
            auto* sc = new QShortcut(QKeySequence(Qt::ALT | QKeyCombination(Qt::Key(c.toUpper().unicode())).key()),
                                     this);
            connect(sc, &QShortcut::activated, this, [this, c] {
                TAKEMENUCHAR(c);
                startHoverTimer();
            });
            m_menuShortcuts[id] = sc;
        }
        // The entries follow the window menu's shown and enabled states.
        connect(a, &QAction::changed, this, [this, id, a] {
            if (Item* i = GETCONTROL(id)) {
                if (i->BVISIBLE != a->isVisible())
                    SETVISIBLE(id, a->isVisible());
                if (i->BENABLED != a->isEnabled())
                    SETENABLED(id, a->isEnabled());
            }
        });
        ++pos;
    }
    ADDSPACER(band, -4, -1);
    ADDBUTTON(band, -1, QStringLiteral("0"));
    ADDBUTTON(band, -2, QStringLiteral("2"));
    ADDBUTTON(band, -3, QStringLiteral("r"));
    REFRESH(true);
}

void VOROVEVEVCLASS::OPENMENU(long id)
{
    Model::OPENMENU(id);
    QAction* action = menuAction(id);
    Item* item = GETCONTROL(id);
    if (!action || !item)
        return;
    QMenu* popup = action->menu();
    if (!popup) {
        // An entry without a popup shows open; a click on it runs its command.
        action->trigger();
        return;
    }
    BLEFTFLAG = BRIGHTFLAG = false;
    const QPoint at = mapToGlobal(QPoint(int(item->RAREA.left), int(item->RAREA.bottom + (STYLE == 0 ? 1 : 0))));
    repaint();
    const QPoint c = mapFromGlobal(QCursor::pos());
    PMOUSEKEYX = c.x();
    PMOUSEKEYY = c.y();
    const bool animate = QApplication::isEffectEnabled(Qt::UI_AnimateMenu);
    const bool fade = QApplication::isEffectEnabled(Qt::UI_FadeMenu);
    QApplication::setEffectEnabled(Qt::UI_AnimateMenu, false);
    QApplication::setEffectEnabled(Qt::UI_FadeMenu, false);
    m_openPopup = popup;
    auto styled = stylePopup(*popup);
    popup->installEventFilter(this);
    startHoverTimer();
    QAction* chosen = nullptr;
    const bool selectFirst = BSELECTFIRST;
    BSELECTFIRST = false;
    if (popupHookRef()) {
        QStringList texts;
        for (QAction* a : popup->actions())
            texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
        const long n = popupHookRef()(texts);
        if (n >= 1 && n <= popup->actions().size())
            chosen = popup->actions()[int(n - 1)];
    } else {
        QAction* first = nullptr;
        for (QAction* a : popup->actions())
            if (!a->isSeparator() && a->isEnabled() && a->isVisible()) {
                first = a;
                break;
            }
        // Opened from the keyboard, the popup highlights its first entry.
        if (selectFirst && first)
            QTimer::singleShot(0, popup, [popup, first] { popup->setActiveAction(first); });
        chosen = popup->exec(at);
    }
    if (popup)
        popup->removeEventFilter(this);
    styled.reset(); // the window's menu keeps its own look elsewhere
    m_openPopup = nullptr;
    QApplication::setEffectEnabled(Qt::UI_AnimateMenu, animate);
    QApplication::setEffectEnabled(Qt::UI_FadeMenu, fade);
    HASOPENMENU = false;
    OPENMENUID = 0;
    if (chosen)
        chosen->trigger();
    if (chosen || !REOPENMENUID) {
        leaveMenuMode();
        closingGuard();
        const QPoint now = mapFromGlobal(QCursor::pos());
        NLASTHOVEREDID = 0;
        RLASTHOVEREDRECT = {};
        TAKEMOUSEMOVEEVENT(now.x(), now.y());
    }
    REFRESH(false);
}

void VOROVEVEVCLASS::cancelMode()
{
    if (m_openPopup)
        m_openPopup->close();
}

void VOROVEVEVCLASS::mdiCommand(int which)
{
    QWidget* w = window();
    auto* area = w ? w->findChild<QMdiArea*>() : nullptr;
    QMdiSubWindow* first = area ? area->subWindowList().value(0) : nullptr;
    if (!first)
        return;
    if (which == 1)
        first->showMinimized();
    else if (which == 2)
        first->showNormal();
    else
        first->close();
    updateMdiState();
    REFRESH(true);
}

void VOROVEVEVCLASS::tooltipChanged(long)
{
    if (m_balloon)
        syncBalloonTools();
}

QString VOROVEVEVCLASS::needText(long tool)
{
    const auto it = m_balloonItems.find(tool);
    const Item* item = it == m_balloonItems.end() ? nullptr : GETCONTROL(it->second);
    if (!item || !item->PCONTROL)
        return QString();
    const QFontMetrics metrics(QToolTip::font());
    return wrapTooltip(item->PCONTROL->GETTOOLTIP(), NTIPMAXWIDTH,
                       [&](const QString& t) { return metrics.horizontalAdvance(t); });
}

void VOROVEVEVCLASS::syncBalloonTools()
{
    if (TOOLTIPMODE != 2) {
        m_balloon.reset();
        m_balloonItems.clear();
        return;
    }
    if (!m_balloon) {
        m_balloon = std::make_unique<CFCTOOLTIPSCLASS>();
        m_balloon->INIT(this);
        m_balloon->CREATETOOLTIP(CFCTOOLTIPSCLASS::TTS_BALLOON | CFCTOOLTIPSCLASS::TTS_NOPREFIX);
        m_balloon->setTexts(this);
    }
    // Tools follow the items: kept (with the new area) while the item shows a tip, else removed.
    std::map<long, QRect> wanted; // item id -> area
    for (const Band& b : BANDQ) {
        if (!b.shown())
            continue;
        for (const Item& i : b.CONTROLQ)
            if (i.BVISIBLE && i.PCONTROL && !i.PCONTROL->GETTOOLTIP().isEmpty() && i.RAREA.width() > 0)
                wanted[i.ID] = toQRect(i.RAREA);
    }
    for (auto it = m_balloonItems.begin(); it != m_balloonItems.end();) {
        if (const auto w = wanted.find(it->second); w != wanted.end()) {
            m_balloon->SETNEWTOOLRECT(it->first, w->second);
            wanted.erase(w);
            ++it;
        } else {
            m_balloon->DELTOOL(it->first);
            it = m_balloonItems.erase(it);
        }
    }
    for (const auto& [item, area] : wanted)
        if (const long tool = m_balloon->ADDTOOL(area); tool >= 0)
            m_balloonItems[tool] = item;
}

void VOROVEVEVCLASS::hotKeyAdded(long id, QChar key)
{
    hotKeyRemoved(id);
    // Owned by the toolbar: active while its window is, gone with it.
    auto* sc = new QShortcut(QKeySequence(Qt::ALT | QKeyCombination(Qt::Key(key.toUpper().unicode())).key()), this);
    const long code = 0x400 + long(key.toUpper().unicode());
    connect(sc, &QShortcut::activated, this, [this, code] { TAKEHOTKEY(code); });
    m_shortcuts[id] = sc;
}

void VOROVEVEVCLASS::hotKeyRemoved(long id)
{
    if (auto it = m_shortcuts.find(id); it != m_shortcuts.end()) {
        delete it->second;
        m_shortcuts.erase(it);
    }
}

void VOROVEVEVCLASS::TAKEEVENT(long event, long band, long id, long value, int button)
{
    Model::TAKEEVENT(event, band, id, value, button);
    emit itemEvent(event, band, id, value, button);
}

// ---------------------------------------------------------------- combo boxes, hosted controls, mirrors

void VOROVEVEVCLASS::ADDCOMBO(long band, long id, const QString& text, const QString& prompt, unsigned long flags,
                              long after)
{
    addField(band, id, text, prompt, flags, after, false);
}

void VOROVEVEVCLASS::ADDENTRY(long band, long id, const QString& text, const QString& prompt, unsigned long flags,
                              long after)
{
    addField(band, id, text, prompt, flags, after, true);
}

// A combo box, or with `simple` an entry field.
void VOROVEVEVCLASS::addField(long band, long id, const QString& text, const QString& prompt, unsigned long flags,
                              long after, bool simple)
{
    if (!GETBAND(band))
        return;
    Item item;
    item.ID = id;
    item.NTYPE = KIND_DROPCOMBO;
    item.SZCAPTION = text;
    item.BENABLED = !TESTFLAG(flags, PTB_DISABLED);
    item.BVISIBLE = !TESTFLAG(flags, PTB_HIDDEN);
    item.PCONTROL = std::make_unique<DropComboClass>(this, simple, prompt, TESTFLAG(flags, PTB_READONLY));
    insertItem(band, std::move(item), after);
    REFRESH(true);
}

void VOROVEVEVCLASS::ADDCOMBOITEM(long id, const QString& text, long userData)
{
    if (DropComboClass* c = comboOf(GETCONTROL(id)); c && c->combo()) {
        QString t = text;
        while (t.endsWith(u' '))
            t.chop(1);
        c->combo()->addItem(t.left(1023), qlonglong(userData));
        REFRESH(true);
    }
}

void VOROVEVEVCLASS::SETMAXCOMBOITEMS(long id, long count)
{
    if (DropComboClass* c = comboOf(GETCONTROL(id))) {
        c->NMAXCOUNT = count;
        REFRESH(true);
    }
}

bool VOROVEVEVCLASS::GETREADONLY(long id) const
{
    const DropComboClass* c = comboOf(GETCONTROL(id));
    return c && c->BREADONLY;
}

void VOROVEVEVCLASS::SETREADONLY(long id, bool on)
{
    if (DropComboClass* c = comboOf(GETCONTROL(id)))
        c->setReadOnly(on);
}

QString VOROVEVEVCLASS::GETPROMPT(long id) const
{
    const Item* item = GETCONTROL(id);
    if (!item)
        return QStringLiteral("0");
    const DropComboClass* c = comboOf(item);
    return c ? c->SZPROMPT : QString();
}

void VOROVEVEVCLASS::SETPROMPT(long id, const QString& prompt)
{
    Item* item = GETCONTROL(id);
    if (DropComboClass* c = comboOf(item)) {
        c->SZPROMPT = prompt.left(99);
        c->NPROMPTWIDTH = -1;
    } else if (CwContainerClass* h = containerOf(item)) {
        h->SZPROMPT = prompt.left(99);
    }
    REFRESH(true);
}

long VOROVEVEVCLASS::GETPROMPTWIDTH(long id) const
{
    const Item* item = GETCONTROL(id);
    if (const DropComboClass* c = comboOf(item))
        return c->NPROMPTWIDTH;
    if (const CwContainerClass* h = containerOf(item))
        return h->NPROMPTWIDTH;
    return 0;
}

void VOROVEVEVCLASS::SETPROMPTWIDTH(long id, long width)
{
    if (DropComboClass* c = comboOf(GETCONTROL(id))) {
        c->NPROMPTWIDTH = (width == 0 || width == -1) ? -1 : width;
        REFRESH(true);
    }
}

void VOROVEVEVCLASS::SETFOCUS(long id)
{
    if (DropComboClass* c = comboOf(GETCONTROL(id)); c && c->m_widget)
        c->m_widget->setFocus();
}

QString VOROVEVEVCLASS::GETTEXT(long id) const
{
    if (const DropComboClass* c = comboOf(GETCONTROL(id)))
        return c->text();
    return Model::GETTEXT(id);
}

void VOROVEVEVCLASS::SETTEXT(long id, const QString& text)
{
    if (DropComboClass* c = comboOf(GETCONTROL(id)))
        c->setText(text);
    Model::SETTEXT(id, text);
}

long VOROVEVEVCLASS::GETCOMBOITEMID(long id, long position) const
{
    const Item* item = GETCONTROL(id);
    const DropComboClass* c = comboOf(item);
    if (!c || !c->combo())
        return GETITEMID(id, position);
    QComboBox* combo = c->combo();
    int index = position > 0 ? int(position - 1) : std::max(0, combo->currentIndex());
    if (index < 0 || index >= combo->count())
        return -1;
    return long(combo->itemData(index).toLongLong());
}

QString VOROVEVEVCLASS::GETCOMBOITEMTEXT(long id, long position) const
{
    const DropComboClass* c = comboOf(GETCONTROL(id));
    if (!c || !c->combo())
        return GETITEMTEXT(id, position);
    return position >= 1 && position <= c->combo()->count() ? c->combo()->itemText(int(position - 1)) : QString();
}

void VOROVEVEVCLASS::ADDNORVECCONTROL(long band, long id, QWidget* control, const QString& prompt,
                                      unsigned long flags, long after)
{
    if (!control || !GETBAND(band))
        return;
    Item item;
    item.ID = id;
    item.NTYPE = KIND_CWCONTAINER;
    item.BENABLED = !TESTFLAG(flags, PTB_DISABLED);
    item.BVISIBLE = !TESTFLAG(flags, PTB_HIDDEN);
    auto obj = std::make_unique<CwContainerClass>(this, control, prompt);
    obj->NSEPARATORID1 = TESTFLAG(flags, PTB_SEPBEFORE) ? id - 1 : 0;
    obj->NSEPARATORID2 = TESTFLAG(flags, PTB_SEPAFTER) ? id + 1 : 0;
    if (TESTFLAG(flags, PTB_READONLY))
        control->setProperty("readOnly", true);
    item.PCONTROL = std::move(obj);
    if (TESTFLAG(flags, PTB_SEPBEFORE))
        ADDSEPARATOR(band, id - 1, flags & PTB_HIDDEN, after);
    insertItem(band, std::move(item), TESTFLAG(flags, PTB_SEPBEFORE) ? id - 1 : after);
    if (TESTFLAG(flags, PTB_SEPAFTER))
        ADDSEPARATOR(band, id + 1, flags & PTB_HIDDEN, id);
    REFRESH(true);
}

void VOROVEVEVCLASS::ADDMIMICBUTTON(long band, long id, QAbstractButton* button, unsigned long flags, long after)
{
    if (!button || !GETBAND(band))
        return;
    Item item;
    item.ID = id;
    item.NTYPE = KIND_MIMIC;
    item.BENABLED = !TESTFLAG(flags, PTB_DISABLED);
    item.BVISIBLE = !TESTFLAG(flags, PTB_HIDDEN);
    auto obj = std::make_unique<MimicButtonClass>(this, button, flags);
    obj->NSEPARATORID1 = TESTFLAG(flags, PTB_SEPBEFORE) ? id - 1 : 0;
    obj->NSEPARATORID2 = TESTFLAG(flags, PTB_SEPAFTER) ? id + 1 : 0;
    MimicButtonClass* mimic = obj.get();
    item.PCONTROL = std::move(obj);
    if (TESTFLAG(flags, PTB_SEPBEFORE))
        ADDSEPARATOR(band, id - 1, flags & PTB_HIDDEN, after);
    // The insert position is honoured, as for the other buttons.
    insertItem(band, std::move(item), TESTFLAG(flags, PTB_SEPBEFORE) ? id - 1 : after);
    if (TESTFLAG(flags, PTB_SEPAFTER))
        ADDSEPARATOR(band, id + 1, flags & PTB_HIDDEN, id);
    mimic->UPDATEMIMIC();
    REFRESH(true);
}
