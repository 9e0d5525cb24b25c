#include "tests/services/QuilvoFixture.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QFontInfo>
#include <QImage>
#include <QPainter>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include <map>

using namespace quilvotest;

namespace {

// Counts what is looked up.
class SpyTranslator : public QUILVO {
public:
    std::map<QString, int> asked;
    QString QVSTR(const QString& text) override
    {
        ++asked[text];
        return QUILVO::QVSTR(text);
    }
};

// A frame with one control of every kind the translator touches.
struct Frame {
    QMainWindow window;
    QLabel* prompt;
    QPushButton* button;
    QPushButton* skin;
    QLabel* fixed;
    QRadioButton* radio;
    QRadioButton* radioWithValue;
    QLineEdit* entry;
    QLineEdit* longEntry;
    QTabWidget* tabs;
    QTableWidget* list;
    QComboBox* combo;
    QPlainTextEdit* text;
    QLabel* image;
    QGroupBox* group;
    QMenu* menu;
    QAction* action;
    QWidget* sized;

    Frame()
    {
        window.setWindowTitle(QStringLiteral("Kontakti"));
        auto* central = new QWidget;
        auto* l = new QVBoxLayout(central);
        window.setCentralWidget(central);
        auto add = [&](auto* w) { l->addWidget(w); return w; };
        prompt = add(new QLabel(QStringLiteral("Otvori")));
        button = add(new QPushButton(QStringLiteral("Zatvori")));
        button->setToolTip(QStringLiteral("Otvori"));
        button->setStatusTip(QStringLiteral("Kontakti"));
        skin = add(new QPushButton(QStringLiteral("SkinBut")));
        fixed = add(new QLabel(QStringLiteral("n-14")));
        radio = add(new QRadioButton(QStringLiteral("Zatvori")));
        radioWithValue = add(new QRadioButton(QStringLiteral("Otvori")));
        radioWithValue->setProperty("rtValue", QStringLiteral("O"));
        entry = add(new QLineEdit);
        entry->setProperty("rtPicture", QStringLiteral("@n-14.`2"));
        longEntry = add(new QLineEdit);
        longEntry->setProperty("rtPicture", QStringLiteral("@n-14.`2 with a long tail"));
        tabs = add(new QTabWidget);
        tabs->addTab(new QWidget, QStringLiteral("Kontakti"));
        tabs->addTab(new QWidget, QStringLiteral("Otvori"));
        tabs->setTabToolTip(1, QStringLiteral("Zatvori"));
        list = add(new QTableWidget(0, 3));
        list->setHorizontalHeaderLabels({QStringLiteral("Ime"), QStringLiteral("Otvori"), QStringLiteral("Nepoznato")});
        list->setProperty("rtColumnPictures", QStringList{QStringLiteral("@n-14.`2"), QStringLiteral("Otvori"), QString()});
        list->setProperty("rtColumnGroups", QStringList{QString(), QStringLiteral("Greška"), QStringLiteral("Greška")});
        combo = add(new QComboBox);
        combo->addItems({QStringLiteral("Da"), QStringLiteral("Ne")});
        text = add(new QPlainTextEdit(QStringLiteral("Zatvori")));
        text->setToolTip(QStringLiteral("Otvori"));
        image = add(new QLabel);
        QPixmap pixmap(4, 4);
        pixmap.fill(Qt::red);
        image->setPixmap(pixmap);
        image->setToolTip(QStringLiteral("Zatvori"));
        group = add(new QGroupBox(QStringLiteral("Kontakti")));
        sized = add(new QLabel(QStringLiteral("Spremi")));
        sized->setProperty("rtType", 38);
        menu = window.menuBar()->addMenu(QStringLiteral("Otvori"));
        action = menu->addAction(QStringLiteral("Zatvori"));
        action->setStatusTip(QStringLiteral("Kontakti"));
    }

    // Every text the translator may change, in one list to compare.
    QStringList texts() const
    {
        return {window.windowTitle(), prompt->text(), button->text(), button->toolTip(), button->statusTip(),
                skin->text(), fixed->text(), radio->text(), radioWithValue->text(),
                entry->property("rtPicture").toString(), longEntry->property("rtPicture").toString(),
                tabs->tabText(0), tabs->tabText(1), tabs->tabToolTip(1),
                list->horizontalHeaderItem(0)->text(), list->horizontalHeaderItem(1)->text(),
                list->horizontalHeaderItem(2)->text(), combo->itemText(0), combo->itemText(1),
                text->toPlainText(), text->toolTip(), image->toolTip(), group->title(),
                menu->title(), action->text(), action->statusTip()};
    }
};

// Each text of Frame::texts() before and after translation into language 2.
const std::pair<const char*, const char*> kTexts[] = {
    {"Kontakti", "Contacts"}, {"Otvori", "Open"}, {"Zatvori", "Close"}, {"Otvori", "Open"},
    {"Kontakti", "Contacts"}, {"SkinBut", "SkinBut"}, {"n-14", "n-14"}, {"Zatvori", "Close"},
    {"Otvori", "Open"}, {"@n-14.`2", "@n-14_`2"}, {"@n-14.`2 with a long tail", "@n-14_`2 with a long tail"},
    {"Kontakti", "Contacts"}, {"Otvori", "Open"}, {"Zatvori", "Close"}, {"Ime", "Name"},
    {"Otvori", "Open"}, {"Nepoznato", "Nepoznato"}, {"Da", "Yes"}, {"Ne", "No"},
    {"Zatvori", "Zatvori"}, {"Otvori", "Open"}, {"Zatvori", "Close"}, {"Kontakti", "Contacts"},
    {"Otvori", "Open"}, {"Zatvori", "Close"}, {"Kontakti", "Contacts"}};

QStringList column(bool translated)
{
    QStringList out;
    for (const auto& [source, english] : kTexts)
        out << QString::fromUtf8(translated ? english : source);
    return out;
}

class QuilvoWindow : public TranslatorTest {
protected:
    void SetUp() override
    {
        TranslatorTest::SetUp();
        QUILVO::setRegionalSource([] { return QuilvoRegional{QStringLiteral(","), QString(QChar(0x00A0))}; });
    }
    std::unique_ptr<SpyTranslator> spy(int language)
    {
        auto t = std::make_unique<SpyTranslator>();
        t->QVINIT(QStringLiteral("Velmora.qvl"), language, QStringLiteral("Velmora.qvs"), 0, 1);
        return t;
    }
};

TEST_F(QuilvoWindow, TranslatesEveryKindOfText)
{
    Frame f;
    auto t = spy(2);
    t->TRANSLATEWINDOW(&f.window);
    const QStringList expected = column(true);
    const QStringList got = f.texts();
    for (int i = 0; i < expected.size(); ++i)
        EXPECT_EQ(got[i], expected[i]) << "text " << i;

    EXPECT_EQ(f.radio->property("rtValue").toString(), QStringLiteral("Zatvori"));
    EXPECT_EQ(f.radioWithValue->property("rtValue").toString(), QStringLiteral("O"));
    EXPECT_EQ(t->asked[QStringLiteral("Da|Ne")], 1); // the item list as a whole
    EXPECT_EQ(f.list->property("rtColumnPictures").toStringList(),
              (QStringList{QStringLiteral("@n-14_`2"), QStringLiteral("Open"), QString()}));
    EXPECT_EQ(f.list->property("rtColumnGroups").toStringList(),
              (QStringList{QString(), QStringLiteral("Error"), QStringLiteral("Error")}));
    EXPECT_EQ(t->asked[QStringLiteral("Greška")], 1); // a run of one group text, looked up once
    EXPECT_EQ(t->asked.count(QStringLiteral("Da")), 0u);
    EXPECT_EQ(t->asked.count(QStringLiteral("n-14")) + t->asked.count(QStringLiteral("SkinBut")), 0u);
    EXPECT_EQ(f.entry->property("rt31252").toInt(), 1);
    EXPECT_EQ(f.combo->property("rt31252").toInt(), 1);
    for (QWidget* w : f.window.centralWidget()->findChildren<QWidget*>())
        EXPECT_EQ(w->font().family(), QStringLiteral("Tahoma")) << w->metaObject()->className();
    EXPECT_EQ(f.sized->font().pointSize(), 9);
    EXPECT_EQ(QFontInfo(f.button->font()).family(), QStringLiteral("Tahoma")); // the font is there, not a stand-in

    // Bold text in the windows' font is drawn bold (a list shows unread mail so).
    auto drawn = [](bool bold) {
        QFont font(QStringLiteral("Tahoma"));
        font.setBold(bold);
        QImage image(200, 30, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setFont(font);
        painter.drawText(image.rect(), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Nepročitana pošta"));
        return image;
    };
    EXPECT_NE(drawn(true), drawn(false));
}

TEST_F(QuilvoWindow, PictureMarkerThatEqualsTheSymbolsStays)
{
    QUILVO::setRegionalSource([] { return QuilvoRegional{QStringLiteral(","), QStringLiteral(".")}; });
    Frame f;
    auto t = spy(2);
    t->TRANSLATEWINDOW(&f.window);
    EXPECT_EQ(f.entry->property("rtPicture").toString(), QStringLiteral("@n-14.`2"));
    EXPECT_EQ(t->asked.count(QStringLiteral("@n-14.`2")), 0u); // a picture is never looked up
}

TEST_F(QuilvoWindow, LanguageChangeRetranslatesFrameAndOpenWindowsFromTheirSource)
{
    Frame f;
    QDialog other;
    other.setWindowTitle(QStringLiteral("Otvori"));
    auto* label = new QLabel(QStringLiteral("Kontakti"), &other);
    auto t = spy(2);
    t->setFRAMEWINDOW(&f.window);
    t->QVFRQ(&f.window);
    t->TRANSLATEWINDOW(&f.window);
    t->TRANSLATEWINDOW(&other);
    EXPECT_EQ(label->text(), QStringLiteral("Contacts"));

    t->QVDLC(QStringLiteral("Velmora.qvl"), 3);
    EXPECT_EQ(f.window.windowTitle(), QStringLiteral("Контакты"));
    EXPECT_EQ(f.button->text(), QStringLiteral("Закрыть"));
    EXPECT_EQ(f.combo->itemText(0), QStringLiteral("Da"));
    EXPECT_EQ(label->text(), QStringLiteral("Контакты"));
    EXPECT_EQ(f.window.property("rt31322").toInt(), 0);

    auto* later = new QLabel(QStringLiteral("Zatvori"), &other);
    t->TRANSLATEWINDOW(&other);
    later->setText(QStringLiteral("Spremi")); // set by the program: its new source
    t->QVDLC(QStringLiteral("Velmora.qvl"), 1);
    QStringList source = column(false);
    // The regional symbols stay in the pictures whatever the language.
    source[9] = QStringLiteral("@n-14_`2");
    source[10] = QStringLiteral("@n-14_`2 with a long tail");
    EXPECT_EQ(f.texts(), source);
    EXPECT_EQ(f.list->property("rtColumnGroups").toStringList(),
              (QStringList{QString(), QStringLiteral("Greška"), QStringLiteral("Greška")}));
    EXPECT_EQ(label->text(), QStringLiteral("Kontakti"));
    EXPECT_EQ(other.windowTitle(), QStringLiteral("Otvori"));
    t->QVDLC(QStringLiteral("Velmora.qvl"), 3);
    EXPECT_EQ(later->text(), QStringLiteral("Сохранить"));
}

TEST_F(QuilvoWindow, StringEntryBecomesTextControlInItsPlace)
{
    struct Case {
        bool entryToText;
        const char* picture;
        bool replaced;
    };
    const Case cases[] = {{true, "@s40", true}, {true, "@S40", true}, {true, "@n-14", false}, {false, "@s40", false}};
    for (const auto& c : cases) {
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(new QLabel(QStringLiteral("Ime")));
        auto* entry = new QLineEdit(QStringLiteral("Ana"));
        entry->setObjectName(QStringLiteral("Ime"));
        entry->setToolTip(QStringLiteral("Vaše ime"));
        entry->setProperty("rtPicture", QString::fromLatin1(c.picture));
        layout->addWidget(entry);
        QString variable = QStringLiteral("Ana");
        QUILVO t;
        t.setENTRY2TEXT(c.entryToText);
        QWidget* now = t.MAKETEXT(entry, &variable);
        auto* text = qobject_cast<QPlainTextEdit*>(now);
        EXPECT_EQ(text != nullptr, c.replaced) << c.picture;
        EXPECT_EQ(layout->indexOf(now), 1);
        if (!text)
            continue;
        EXPECT_EQ(window.findChildren<QLineEdit*>().size(), 0);
        EXPECT_EQ(text->objectName(), QStringLiteral("Ime"));
        EXPECT_EQ(text->toPlainText(), QStringLiteral("Ana"));
        EXPECT_EQ(text->toolTip(), QStringLiteral("Vaše ime"));
        EXPECT_EQ(text->property("rtPicture").toString(), QString::fromLatin1(c.picture));
        text->setPlainText(QStringLiteral("Ana\nMarija"));
        EXPECT_EQ(variable, QStringLiteral("Ana\nMarija"));
    }
}

TEST_F(QuilvoWindow, FrameTextsAreRecordedOnceAndOnlyForTheFrame)
{
    QWidget plain;
    auto* l = new QLabel(QStringLiteral("Otvori"), &plain);
    Q_UNUSED(l);
    auto t = spy(2);
    t->QVFRQ(&plain);
    EXPECT_FALSE(t->FRAMEFLAG());
    EXPECT_TRUE(t->FRAMEQ().empty());

    Frame f;
    t->QVFRQ(&f.window);
    EXPECT_TRUE(t->FRAMEFLAG());
    const size_t recorded = t->FRAMEQ().size();
    EXPECT_GT(recorded, 10u);
    new QLabel(QStringLiteral("Novo"), f.window.centralWidget());
    t->QVFRQ(&f.window);
    EXPECT_EQ(t->FRAMEQ().size(), recorded);
}

TEST_F(QuilvoWindow, WidgetsThatKeepTheirOwnTextsAreLeftAloneAndTheirWindowHearsOfALanguageChange)
{
    // Counts the language changes it is told of.
    struct Window : QMainWindow {
        int changes = 0;
        bool event(QEvent* e) override
        {
            if (e->type() != QUILVO::languageChangedEvent())
                return QMainWindow::event(e);
            ++changes;
            return true;
        }
    };
    Window frame, other;
    auto* own = new QWidget(&frame);
    own->setProperty(kOwnTexts, true);
    auto* ownLabel = new QLabel(QStringLiteral("Kontakti"), new QWidget(own));
    auto* ownAction = new QAction(QStringLiteral("Otvori"), ownLabel);
    auto* label = new QLabel(QStringLiteral("Kontakti"), &frame);
    auto t = spy(2);
    t->setFRAMEWINDOW(&frame);
    t->QVFRQ(&frame);
    t->TRANSLATEWINDOW(&frame);
    t->TRANSLATEWINDOW(&other);
    EXPECT_EQ(label->text(), QStringLiteral("Contacts"));
    for (const auto& entry : t->FRAMEQ())
        EXPECT_NE(entry.control, ownLabel);

    t->QVDLC(QStringLiteral("Velmora.qvl"), 3);
    EXPECT_EQ(label->text(), QStringLiteral("Контакты"));
    EXPECT_EQ(ownLabel->text(), QStringLiteral("Kontakti"));
    EXPECT_EQ(ownAction->text(), QStringLiteral("Otvori"));
    EXPECT_EQ(t->asked.count(QStringLiteral("Otvori")), 0u);
    EXPECT_EQ(frame.changes, 1);
    EXPECT_EQ(other.changes, 1);
}

} // namespace
