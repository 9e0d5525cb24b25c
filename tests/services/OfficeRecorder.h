#pragma once
#include "services/OfficeAutomation.h"

#include <QStringList>
#include <map>

// Records every call an office class makes; reads answer from a table ("" when not listed).
class RecordingContainer : public office::AutomationContainer {
public:
    QStringList calls;
    std::map<QString, QString> answers;
    QString fallback;
    void setProgId(const QString& id) override { calls << "progid " + id; }
    void setLocale(int locale) override { calls << "locale " + QString::number(locale); }
    void setReportException(bool on) override { calls << QString("report %1").arg(on); }
    void endObject() override { calls << "end"; }
    QString read(const QString& path) override
    {
        calls << "read " + path;
        const auto it = answers.find(path);
        return it != answers.end() ? it->second : fallback;
    }
    void write(const QString& path, const QVariant& value) override { calls << "write " + path + " := " + value.toString(); }
};
