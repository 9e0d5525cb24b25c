#include "procedures/plan/GanttLinkDelay.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "runtime/WindowManager.h"
#include "chrome/WindowPainter.h"

namespace panes {

LinkDelayDialog::LinkDelayDialog(int delay, const std::function<QString(const QString&)>& translate, QWidget* parent)
    : QDialog(parent)
{
    const auto tr = [&translate](const char* text) {
        const QString t = QString::fromUtf8(text);
        return translate ? translate(t) : t;
    };
    setObjectName(QStringLiteral("F_LinkOdgoda"));
    setWindowTitle(tr("Link odgoda"));
    auto* box = new QVBoxLayout(this);
    auto* heading = new QLabel(tr("Odgoda (dana)"), this);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    box->addWidget(heading);
    auto* form = new QFormLayout;
    m_entry = new QLineEdit(QString::number(delay), this);
    m_entry->setObjectName(QStringLiteral("MN:ODGODA"));
    m_entry->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("-?\\d{0,4}")), m_entry));
    m_entry->setAlignment(Qt::AlignRight);
    form->addRow(tr("Odgoda:"), m_entry);
    box->addLayout(form);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* cancel = new QPushButton(tr("Prekid"), this);
    auto* ok = new QPushButton(tr("OK"), this);
    ok->setDefault(true);
    buttons->addWidget(cancel);
    buttons->addWidget(ok);
    box->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

int LinkDelayDialog::value() const
{
    bool ok = false;
    const int v = m_entry->text().toInt(&ok);
    return ok ? v : 0;
}

int F_LinkOdgoda(int delay, QWidget* parent, const std::function<QString(const QString&)>& translate)
{
    LinkDelayDialog dialog(delay, translate, parent);
    pxp::themeLibraryWindow(&dialog);
    vrt::runModal(dialog);
    return dialog.value();
}

} // namespace panes
