#include "app/requestwindow.h"

#include "core/requestbody.h"
#include "app/requestmodels.h"
#include "core/ansitext.h"

#include <QClipboard>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace {

QLabel *valueLabel(QWidget *parent, const char *name)
{
    auto *l = new QLabel(parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    l->setTextFormat(Qt::PlainText);
    return l;
}

QTableView *tableView(QWidget *parent, const char *name)
{
    auto *v = new QTableView(parent);
    v->setObjectName(QString::fromLatin1(name));
    v->verticalHeader()->hide();
    // Fixed row heights: the view never measures its rows, however many there are.
    v->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    v->verticalHeader()->setDefaultSectionSize(v->fontMetrics().height() + 4);
    v->setWordWrap(false);
    v->setSelectionBehavior(QAbstractItemView::SelectRows);
    v->setSelectionMode(QAbstractItemView::SingleSelection);
    v->setEditTriggers(QAbstractItemView::NoEditTriggers);
    return v;
}

void placeOnClipboard(const QString &text, const QByteArray *bytes)
{
    auto *mime = new QMimeData;
    mime->setText(text);
    if (bytes)
        mime->setData(QStringLiteral("application/octet-stream"), *bytes);
    QGuiApplication::clipboard()->setMimeData(mime);
}

} // namespace

TRequestWindow::TRequestWindow(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("RequestWindow"));
    setWindowTitle(tr("Request"));
    resize(720, 560);

    auto *layout = new QVBoxLayout(this);
    auto *facts = new QFormLayout;
    MethodLabel = valueLabel(this, "MethodLabel");
    AddressLabel = valueLabel(this, "AddressLabel");
    AddressLabel->setWordWrap(true);
    ContentTypeLabel = valueLabel(this, "ContentTypeLabel");
    TimeLabel = valueLabel(this, "TimeLabel");
    WindowLabel = valueLabel(this, "WindowLabel");
    FrameLabel = valueLabel(this, "FrameLabel");
    CertaintyLabel = valueLabel(this, "CertaintyLabel");
    CertaintyLabel->setWordWrap(true);
    SourceLabel = valueLabel(this, "SourceLabel");
    SourceLabel->setWordWrap(true);
    facts->addRow(tr("Method:"), MethodLabel);
    facts->addRow(tr("Address:"), AddressLabel);
    facts->addRow(tr("Content-Type:"), ContentTypeLabel);
    facts->addRow(tr("Time:"), TimeLabel);
    facts->addRow(tr("Window:"), WindowLabel);
    facts->addRow(tr("Frame:"), FrameLabel);
    facts->addRow(tr("Certainty:"), CertaintyLabel);
    facts->addRow(tr("Body from:"), SourceLabel);
    layout->addLayout(facts);

    BodyTabs = new QTabWidget(this);
    BodyTabs->setObjectName(QStringLiteral("BodyTabs"));
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);

    auto *raw = new QWidget(BodyTabs);
    auto *rawLayout = new QVBoxLayout(raw);
    RawNote = valueLabel(raw, "RawNote");
    RawView = new QPlainTextEdit(raw);
    RawView->setObjectName(QStringLiteral("RawView"));
    RawView->setReadOnly(true);
    RawView->setFont(fixed);
    RawView->setLineWrapMode(QPlainTextEdit::NoWrap);
    rawLayout->addWidget(RawNote);
    rawLayout->addWidget(RawView, 1);
    BodyTabs->addTab(raw, tr("Raw"));

    auto *form = new QWidget(BodyTabs);
    auto *formLayout = new QVBoxLayout(form);
    FormNote = valueLabel(form, "FormNote");
    FormNote->setWordWrap(true);
    FormView = tableView(form, "FormView");
    m_formModel = new FormFieldModel(this);
    FormView->setModel(m_formModel);
    FormView->horizontalHeader()->setStretchLastSection(false);
    CopyValueButton = new QPushButton(tr("Copy Value"), form);
    CopyValueButton->setObjectName(QStringLiteral("CopyValueButton"));
    auto *formButtons = new QHBoxLayout;
    formButtons->addStretch(1);
    formButtons->addWidget(CopyValueButton);
    formLayout->addWidget(FormNote);
    formLayout->addWidget(FormView, 1);
    formLayout->addLayout(formButtons);
    BodyTabs->insertTab(kFormTab, form, tr("Form"));
    connect(BodyTabs, &QTabWidget::currentChanged, this, [this](int index) {
        if (index == kFormTab)
            ensureForm();
    });
    connect(FormView, &QAbstractItemView::clicked, this, [this](const QModelIndex &index) {
        if (index.column() == m_formModel->copyColumn())
            copyFormValue(index.row());
    });
    connect(CopyValueButton, &QPushButton::clicked, this, [this] {
        copyFormValue(FormView->currentIndex().row());
    });

    HexView = tableView(BodyTabs, "HexView");
    HexView->setFont(fixed);
    HexView->verticalHeader()->setDefaultSectionSize(QFontMetrics(fixed).height() + 4);
    m_hexModel = new HexDumpModel(this);
    HexView->setModel(m_hexModel);
    const QFontMetrics hexMetrics(fixed);
    const int pad = 2 * hexMetrics.horizontalAdvance(QLatin1Char(' ')) + 8;
    HexView->setColumnWidth(HexDumpModel::OffsetColumn, hexMetrics.horizontalAdvance(QStringLiteral("00000000")) + pad);
    HexView->setColumnWidth(HexDumpModel::HexColumn,
                            hexMetrics.horizontalAdvance(QString(HexDumpModel::kBytesPerLine * 3 - 1, QLatin1Char('0'))) + pad);
    HexView->horizontalHeader()->setStretchLastSection(true);
    BodyTabs->addTab(HexView, tr("Hex"));
    layout->addWidget(BodyTabs, 1);

    auto *buttons = new QHBoxLayout;
    CopyBodyButton = new QPushButton(tr("Copy Body"), this);
    CopyBodyButton->setObjectName(QStringLiteral("CopyBodyButton"));
    CloseButton = new QPushButton(tr("Close"), this);
    CloseButton->setObjectName(QStringLiteral("CloseButton"));
    buttons->addWidget(CopyBodyButton);
    buttons->addStretch(1);
    buttons->addWidget(CloseButton);
    layout->addLayout(buttons);
    connect(CopyBodyButton, &QPushButton::clicked, this, &TRequestWindow::copyBody);
    connect(CloseButton, &QPushButton::clicked, this, &QWidget::close);
}

void TRequestWindow::setRequest(const RequestRecord &request, const QByteArray &address)
{
    m_request = request;
    const QByteArray &body = request.body;
    const QLocale c = QLocale::c();

    setWindowTitle(tr("Request: %1").arg(fromAnsi(address)));
    MethodLabel->setText(request.method.isEmpty() ? tr("(none)") : QString::fromLatin1(request.method));
    AddressLabel->setText(fromAnsi(address));
    ContentTypeLabel->setText(request.contentType.isEmpty() ? tr("(none)")
                                                            : QString::fromLatin1(request.contentType));
    TimeLabel->setText(request.recorded.isValid()
                           ? request.recorded.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz 'UTC'"))
                           : tr("(unknown)"));
    WindowLabel->setText(request.window == RequestWindow::Unknown ? tr("(unknown)") : windowName(request.window));
    FrameLabel->setText(frameName(request.frame));
    CertaintyLabel->setText(request.doubt.isEmpty() ? tr("certain") : tr("uncertain: %1").arg(request.doubt));
    QString source = request.body.isEmpty() && request.source == BodySource::None ? tr("(no body)")
                                                                                 : bodySourceText(request.source);
    if (request.boundaryRemade)
        source += QLatin1Char('\n') + remadeBoundaryNote();
    SourceLabel->setText(source);

    if (body.size() > kRawLimit) {
        RawNote->setText(tr("(first %1 KB of %2 bytes shown; Hex shows all)")
                             .arg(kRawLimit / 1024)
                             .arg(c.toString(body.size())));
        RawView->setPlainText(readableBytes(body.first(kRawLimit)));
    } else {
        RawNote->setText(body.isEmpty() ? tr("(no body)") : tr("%1 bytes").arg(c.toString(body.size())));
        RawView->setPlainText(readableBytes(body));
    }
    // The fields are read when the Form view is first shown: a large body costs nothing until then.
    m_formStale = true;
    if (BodyTabs->currentIndex() == kFormTab)
        ensureForm();
    m_hexModel->setBytes(body);
    CopyBodyButton->setEnabled(!body.isEmpty());
}

FormFieldModel *TRequestWindow::formModel()
{
    ensureForm();
    return m_formModel;
}

void TRequestWindow::ensureForm()
{
    if (m_formStale) {
        m_formStale = false;
        showForm();
    }
}

void TRequestWindow::showForm()
{
    const QByteArray &body = m_request.body;
    const QByteArray contentType = bodyContentType(m_request);
    const QByteArray media = contentMediaType(contentType);
    const QString charset = bodyCharset(contentType);
    if (body.isEmpty()) {
        m_formModel->clear();
        FormNote->setText(tr("No body."));
    } else if (media == "application/x-www-form-urlencoded") {
        m_formModel->setFields(parseUrlEncoded(body, charset));
        FormNote->setText(tr("%n field(s), decoded as %1.", nullptr, m_formModel->rowCount()).arg(charsetDescription(charset)));
    } else if (media == "text/plain") {
        m_formModel->setFields(parseTextPlain(body, charset));
        FormNote->setText(tr("%n field(s), decoded as %1.", nullptr, m_formModel->rowCount()).arg(charsetDescription(charset)));
    } else if (media == "multipart/form-data") {
        const MultipartBody parsed = parseMultipart(body, contentTypeParameter(contentType, "boundary"));
        m_formModel->setParts(parsed.parts, charset);
        QString note = tr("%n part(s), text decoded as %1.", nullptr, m_formModel->rowCount()).arg(charsetDescription(charset));
        if (!parsed.complete)
            note += QLatin1Char(' ') + tr("The body is cut short or malformed after these parts.");
        FormNote->setText(note);
    } else {
        m_formModel->clear();
        FormNote->setText(tr("Not a form body."));
    }
    CopyValueButton->setEnabled(m_formModel->rowCount() > 0);
    if (m_formModel->rowCount() > 0)
        FormView->setCurrentIndex(m_formModel->index(0, 0));
    // Columns sized from the header and the first rows only.
    FormView->horizontalHeader()->setResizeContentsPrecision(50);
    FormView->resizeColumnsToContents();
}

void TRequestWindow::copyBody() const
{
    placeOnClipboard(QString::fromLatin1(m_request.body), &m_request.body);
}

void TRequestWindow::copyFormValue(int row)
{
    ensureForm();
    if (row < 0 || row >= m_formModel->rowCount())
        return;
    const FormFieldModel::Value v = m_formModel->value(row);
    placeOnClipboard(v.text, v.hasBytes ? &v.bytes : nullptr);
}
