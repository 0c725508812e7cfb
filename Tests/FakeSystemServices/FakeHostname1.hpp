#pragma once

#include <QObject>
#include <QString>

/// org.freedesktop.hostname1 with the one property the agent reads.
class FakeHostname1 final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.hostname1")
    Q_PROPERTY(QString PrettyHostname READ prettyHostname)

public:
    explicit FakeHostname1(QString name, QObject* parent = nullptr)
        : QObject(parent), name_(std::move(name)) {}
    QString prettyHostname() const { return name_; }

private:
    QString name_;
};
