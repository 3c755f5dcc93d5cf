#include "webview/authenticationdialog.h"

#include <QAuthenticator>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QUrl>
#include <QVBoxLayout>

AuthenticationDialog::AuthenticationDialog(const QString &message, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AuthenticationDialog"));
    setWindowTitle(QStringLiteral("Authentication Required"));
    auto *layout = new QVBoxLayout(this);
    m_message = new QLabel(message, this);
    m_message->setObjectName(QStringLiteral("Message"));
    m_message->setWordWrap(true);
    m_message->setTextFormat(Qt::PlainText);
    layout->addWidget(m_message);

    auto *form = new QFormLayout;
    UserName = new QLineEdit(this);
    UserName->setObjectName(QStringLiteral("UserName"));
    Password = new QLineEdit(this);
    Password->setObjectName(QStringLiteral("Password"));
    Password->setEchoMode(QLineEdit::Password);
    form->addRow(QStringLiteral("User name:"), UserName);
    form->addRow(QStringLiteral("Password:"), Password);
    layout->addLayout(form);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    UserName->setFocus();
}

void AuthenticationDialog::ask(const QString &message, QAuthenticator *authenticator, QWidget *parent)
{
    QPointer<AuthenticationDialog> dialog = new AuthenticationDialog(message, parent);
    // It holds up only the window it came from: a pop-up's sign-in leaves the main window free.
    dialog->setWindowModality(Qt::WindowModal);
    const int result = dialog->exec();
    if (!dialog)
        return; // its window, and the page that asked, went meanwhile
    if (result == QDialog::Accepted) {
        authenticator->setUser(dialog->UserName->text());
        authenticator->setPassword(dialog->Password->text());
    } else {
        // A null authenticator: the engine shows what the server sent with its refusal.
        *authenticator = QAuthenticator();
    }
    delete dialog;
}

QString serverAuthenticationMessage(const QUrl &url, const QString &realm)
{
    QString text = QStringLiteral("The server %1 asks for a user name and password.").arg(url.host());
    if (!realm.isEmpty())
        text += QStringLiteral(" It says: \"%1\".").arg(realm);
    return text;
}

QString proxyAuthenticationMessage(const QString &proxyHost, const QString &realm)
{
    QString text = QStringLiteral("The proxy %1 asks for a user name and password.").arg(proxyHost);
    if (!realm.isEmpty())
        text += QStringLiteral(" It says: \"%1\".").arg(realm);
    return text;
}
