#include "support/LocalHttpsServer.h"
#include "support/FileBytes.h"

#include <QFile>
#include <QHostAddress>
#include <QProcess>
#include <QSslConfiguration>

namespace {

const QStringList EcKey = {QStringLiteral("-newkey"), QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
                           QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes")};

} // namespace

TestCertificateAuthority::TestCertificateAuthority()
{
    if (!m_folder.isValid()) {
        m_error = QStringLiteral("no temporary folder");
        return;
    }
    const bool made = openssl(QStringList{QStringLiteral("req"), QStringLiteral("-x509")} + EcKey
                              + QStringList{QStringLiteral("-keyout"), m_folder.filePath(QStringLiteral("ca.key")),
                                            QStringLiteral("-out"), certificatePath(),
                                            QStringLiteral("-days"), QStringLiteral("2"),
                                            QStringLiteral("-subj"), QStringLiteral("/CN=ZeltonReader test authority"),
                                            QStringLiteral("-addext"), QStringLiteral("basicConstraints=critical,CA:TRUE"),
                                            QStringLiteral("-addext"), QStringLiteral("keyUsage=critical,keyCertSign,cRLSign")});
    if (made)
        m_certificate = QSslCertificate(fileBytes(certificatePath()), QSsl::Pem);
}

QString TestCertificateAuthority::certificatePath() const
{
    return m_folder.filePath(QStringLiteral("ca.crt"));
}

TestCertificateAuthority::Issued TestCertificateAuthority::issue(const QString &host)
{
    const QString name = QStringLiteral("server%1").arg(++m_issued);
    const QString key = m_folder.filePath(name + QStringLiteral(".key"));
    const QString request = m_folder.filePath(name + QStringLiteral(".csr"));
    const QString certificate = m_folder.filePath(name + QStringLiteral(".crt"));
    const QString extensions = m_folder.filePath(name + QStringLiteral(".ext"));

    QFile extensionFile(extensions);
    const Issued none;
    if (!extensionFile.open(QIODevice::WriteOnly))
        return none;
    const bool isAddress = !QHostAddress(host).isNull();
    extensionFile.write("subjectAltName=" + QByteArray(isAddress ? "IP:" : "DNS:") + host.toUtf8()
                        + "\nbasicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature"
                          "\nextendedKeyUsage=serverAuth\n");
    extensionFile.close();

    const bool made =
        openssl(QStringList{QStringLiteral("req")} + EcKey
                + QStringList{QStringLiteral("-keyout"), key, QStringLiteral("-out"), request,
                              QStringLiteral("-subj"), QStringLiteral("/CN=") + host})
        && openssl({QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"), request,
                    QStringLiteral("-CA"), certificatePath(), QStringLiteral("-CAkey"),
                    m_folder.filePath(QStringLiteral("ca.key")), QStringLiteral("-set_serial"),
                    QString::number(m_issued + 1), QStringLiteral("-days"), QStringLiteral("2"),
                    QStringLiteral("-extfile"), extensions, QStringLiteral("-out"), certificate});
    if (!made)
        return none;
    return {QSslCertificate(fileBytes(certificate), QSsl::Pem), QSslKey(fileBytes(key), QSsl::Ec)};
}

void TestCertificateAuthority::trustInThisProcess() const
{
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.addCaCertificate(m_certificate);
    QSslConfiguration::setDefaultConfiguration(configuration);
}

bool TestCertificateAuthority::openssl(const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral("openssl"), arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0) {
        m_error = QStringLiteral("openssl %1: %2").arg(arguments.first(),
                                                       QString::fromLocal8Bit(process.readAll()));
        return false;
    }
    return true;
}

namespace {

QSslConfiguration serverConfiguration(const TestCertificateAuthority::Issued &identity)
{
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.setLocalCertificate(identity.certificate);
    configuration.setPrivateKey(identity.key);
    configuration.setPeerVerifyMode(QSslSocket::VerifyNone);  // clients bring no certificate
    return configuration;
}

} // namespace

LocalHttpsServer::LocalHttpsServer(const TestCertificateAuthority::Issued &identity, Handler handler)
    : LocalHttpServer(std::move(handler), serverConfiguration(identity))
{
}
