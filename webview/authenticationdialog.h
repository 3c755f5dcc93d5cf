#pragma once

#include <QDialog>

class QAuthenticator;
class QLabel;
class QLineEdit;
class QUrl;

// Asks for a user name and password when a server or a proxy wants them.
class AuthenticationDialog : public QDialog
{
    Q_OBJECT
public:
    AuthenticationDialog(const QString &message, QWidget *parent = nullptr);

    QLineEdit *UserName = nullptr;
    QLineEdit *Password = nullptr;

    // Runs the dialog for a request and answers the engine: the entered user name and password,
    // or, when the dialog is cancelled, no credentials, so that the server's own page is shown.
    static void ask(const QString &message, QAuthenticator *authenticator, QWidget *parent);

private:
    QLabel *m_message = nullptr;
};

// The question the dialog asks, for a server's address or a proxy's host.
QString serverAuthenticationMessage(const QUrl &url, const QString &realm);
QString proxyAuthenticationMessage(const QString &proxyHost, const QString &realm);
