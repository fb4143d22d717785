#pragma once

#include "support/LocalHttpServer.h"

#include <QSslCertificate>
#include <QSslKey>
#include <QString>
#include <QTemporaryDir>

// A certificate authority made for one test run with the openssl command, and the server
// certificates it signs. Nothing outside the test process ever trusts it.
class TestCertificateAuthority
{
public:
    struct Issued
    {
        QSslCertificate certificate;
        QSslKey key;
    };

    TestCertificateAuthority();

    // Whether the authority was made; a failing openssl is reported by `error()`.
    bool isValid() const { return !m_certificate.isNull(); }
    QString error() const { return m_error; }
    QSslCertificate certificate() const { return m_certificate; }
    QString certificatePath() const;

    // A server certificate for `host` (an IP address or a DNS name), valid for two days.
    Issued issue(const QString &host);

    // Adds the authority to the default TLS configuration of this process, so that every
    // QNetworkAccessManager made afterwards trusts it besides the system's store.
    void trustInThisProcess() const;

private:
    bool openssl(const QStringList &arguments);

    QTemporaryDir m_folder;
    QSslCertificate m_certificate;
    QString m_error;
    int m_issued = 0;
};

// LocalHttpServer over TLS: "https://127.0.0.1:<port>/reader/" with the given certificate.
class LocalHttpsServer : public LocalHttpServer
{
public:
    LocalHttpsServer(const TestCertificateAuthority::Issued &identity, Handler handler);
};
