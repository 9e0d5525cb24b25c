#include "procedures/contacts/RecipientBuffer.h"

namespace mailpeople {

RecipientBuffer& RecipientBuffer::instance()
{
    static RecipientBuffer buffer;
    return buffer;
}

QString RecipientBuffer::text(Kind kind) const
{
    std::lock_guard lock(m_mutex);
    return m_lists[size_t(kind)];
}

void RecipientBuffer::setText(Kind kind, const QString& text)
{
    std::lock_guard lock(m_mutex);
    m_lists[size_t(kind)] = text;
}

void RecipientBuffer::clear()
{
    std::lock_guard lock(m_mutex);
    for (QString& l : m_lists)
        l.clear();
}

bool RecipientBuffer::allEmpty() const
{
    std::lock_guard lock(m_mutex);
    for (const QString& l : m_lists)
        if (!l.isEmpty())
            return false;
    return true;
}

QStringList RecipientBuffer::addresses(const QString& list)
{
    QStringList out;
    for (const QString& part : list.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        if (const QString a = part.trimmed(); !a.isEmpty())
            out << a;
    return out;
}

bool RecipientBuffer::add(Kind kind, const QString& address)
{
    const QString a = address.trimmed();
    if (a.isEmpty())
        return false;
    std::lock_guard lock(m_mutex);
    for (const QString& l : m_lists)
        if (addresses(l).contains(a, Qt::CaseInsensitive))
            return false;
    QString& target = m_lists[size_t(kind)];
    target = target.isEmpty() ? a : target + QLatin1Char(';') + a;
    return true;
}

} // namespace mailpeople
