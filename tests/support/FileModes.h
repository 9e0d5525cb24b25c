#pragma once
#include <QString>
#include <QStringList>

namespace testsupport {

// Sets the process's umask for its life (0: every file the code does not protect itself is
// readable and writable by all).
class ScopedUmask {
public:
    explicit ScopedUmask(unsigned mask);
    ~ScopedUmask();

private:
    unsigned m_old;
};

// The entries under `folder` (and the folder) that are not the user's alone: a folder not
// 0700, a file not 0600. Links are not followed. Each as "relative path mode".
QStringList notPrivate(const QString& folder);

} // namespace testsupport
