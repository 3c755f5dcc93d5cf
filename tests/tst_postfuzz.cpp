// Randomized form posts, made by the real engine against a local server: every recorded body is
// the one the server received, or says it is not sure. A seed drives the generator, so a failing
// post can be made again. CTest runs a few seeds; scripts/post-fuzz runs a thousand posts and
// prints the results by class.
//
//   TS_POST_SEEDS=FIRST:COUNT  seeds to run instead of the fixed list
//   TS_POSTS_PER_SEED=N        posts made from each seed (default 6)
#include "tests/support/capturedbody.h"
#include "tests/support/httpserver.h"
#include "tests/support/wirebody.h"
#include "webview/bodycapture.h"
#include "webview/formencoder.h"
#include "webview/twebbrowser.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>
#include <QMap>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QWebEnginePage>
#include <QtTest>
#include <memory>

namespace {

QString js(const QString &text)
{
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

// One post: the page it starts from, the script that makes and sends the form, where it goes.
struct PostCase
{
    QByteArray charset;   // of the page holding the form
    QByteArray pageHtml;
    QByteArray frameHtml; // the page of the frame holding the form, when it is in one
    QString script;
    QByteArray sink;      // the path the form posts to
    QString kind;         // "enctype / charset / way / target", for the tally
    QString enctype;      // the form's, for the tally by class
    bool secondPost = false; // the answer is a page that posts to the same address again
};

class PostGenerator
{
public:
    explicit PostGenerator(quint32 seed) : m_random(seed) {}

    PostCase next(const QByteArray &sink)
    {
        PostCase c;
        c.sink = sink;
        const QString enctype = pick({"application/x-www-form-urlencoded", "text/plain", "multipart/form-data"});
        c.charset = pick({"utf-8", "windows-1252", "Shift_JIS", "ISO-8859-2", "ISO-8859-5"}).toLatin1();
        const QString acceptCharset = chance(4) ? pick({"UTF-8", "windows-1252", "ISO-8859-2", "bogus Shift_JIS"}) : QString();
        const QString way = pick({"click", "requestSubmit", "submit", "submit twice"});
        const QString target = pick({"own frame", "loaded frame", "unloaded frame", "new window", "form in a frame"});
        // What real sites do around a post: build FormData of their own forms (before it, or in a
        // listener), add an entry while it is built, and answer with a page that posts to the same
        // address again (a confirmation page).
        const QString pageScript = pick({"none", "none", "FormData before", "FormData in submit listener",
                                         "formdata listener appends"});
        c.secondPost = target == QLatin1String("own frame") && chance(3);
        if (c.secondPost)
            c.sink += "/twice";

        QString s = QStringLiteral("(() => {");
        s += target == QLatin1String("form in a frame") ? QStringLiteral("const doc = frames[0].document;")
                                                        : QStringLiteral("const doc = document;");
        s += QStringLiteral("const form = doc.createElement('form'); form.id = 'f'; form.method = 'post';");
        s += QStringLiteral("form.action = %1; form.enctype = %2;").arg(js(QString::fromLatin1(c.sink)), js(enctype));
        if (!acceptCharset.isEmpty())
            s += QStringLiteral("form.acceptCharset = %1;").arg(js(acceptCharset));
        if (target == QLatin1String("loaded frame") || target == QLatin1String("unloaded frame"))
            s += QStringLiteral("form.target = 't';");
        else if (target == QLatin1String("new window"))
            s += QStringLiteral("form.target = '_blank';");
        s += QStringLiteral("doc.body.appendChild(form);"
                            "const add = (tag, type, name, value) => { const e = doc.createElement(tag); if (type) e.type = type;"
                            " e.name = name; if (value !== null) e.value = value; form.appendChild(e); return e; };"
                            "const fileOf = (bytes, name, type) => new File([Uint8Array.from(bytes)], name, {type: type});"
                            "const setFiles = (input, files) => { const dt = new DataTransfer(); for (const f of files) dt.items.add(f); input.files = dt.files; };");
        const int fields = 1 + int(m_random.bounded(5));
        for (int i = 0; i < fields; ++i) {
            switch (m_random.bounded(6)) {
            case 0:
                s += QStringLiteral("add('textarea', null, %1, %2);").arg(js(hard()), js(hard()));
                break;
            case 1:
                s += QStringLiteral("add('input', 'hidden', %1, %2);").arg(js(hard()), js(hard()));
                break;
            case 2:
                s += QStringLiteral("add('input', 'hidden', '_charset_', '');");
                break;
            case 3: {
                QString files;
                const int count = int(m_random.bounded(3));
                for (int f = 0; f < count; ++f) {
                    QStringList bytes;
                    const int size = int(m_random.bounded(300));
                    for (int b = 0; b < size; ++b)
                        bytes << QString::number(m_random.bounded(256));
                    files += QStringLiteral("fileOf([%1], %2, %3),").arg(bytes.join(u','), js(fileName()), js(pick({"", "text/plain", "image/png", "application/octet-stream"})));
                }
                s += QStringLiteral("{ const i = add('input', 'file', %1, null); i.multiple = true; setFiles(i, [%2]); }").arg(js(hard()), files);
                break;
            }
            case 4:
                s += QStringLiteral("{ const c = add('input', 'checkbox', %1, %2); c.checked = %3; }").arg(js(hard()), js(hard()), chance(2) ? "true" : "false");
                break;
            default:
                s += QStringLiteral("add('input', 'text', %1, %2);").arg(js(hard()), js(hard()));
                break;
            }
        }
        // The submitter: none, a button, a submit input or an image button, with overrides,
        // inside the form or outside it.
        const int submitterKind = int(m_random.bounded(4));
        if (submitterKind > 0 || way == QLatin1String("click")) {
            const QString tag = submitterKind == 2 ? QStringLiteral("input") : QStringLiteral("button");
            const QString type = submitterKind == 3 ? QStringLiteral("image") : QStringLiteral("submit");
            s += QStringLiteral("const sub = doc.createElement(%1); sub.type = %2; sub.name = %3;").arg(js(tag), js(type), js(hard()));
            if (type != QLatin1String("image"))
                s += QStringLiteral("sub.value = %1;").arg(js(hard()));
            if (chance(4))
                s += QStringLiteral("sub.formEnctype = %1;").arg(js(pick({"multipart/form-data", "text/plain", "application/x-www-form-urlencoded"})));
            if (chance(4))
                s += QStringLiteral("sub.formAction = %1;").arg(js(QString::fromLatin1(c.sink) + QStringLiteral("?over=1")));
            if (chance(3)) {
                s += QStringLiteral("sub.setAttribute('form', 'f'); doc.body.appendChild(sub);");
            } else {
                s += QStringLiteral("form.appendChild(sub);");
            }
        } else {
            s += QStringLiteral("const sub = null;");
        }
        if (pageScript == QLatin1String("FormData before"))
            s += QStringLiteral("new FormData(form); { const e = [...form.elements].find((x) => x.type !== 'file');"
                                " if (e) e.value += 'x'; } new FormData(form);");
        else if (pageScript == QLatin1String("FormData in submit listener"))
            s += QStringLiteral("form.addEventListener('submit', () => { new FormData(form); });");
        else if (pageScript == QLatin1String("formdata listener appends"))
            s += QStringLiteral("form.addEventListener('formdata', (e) => { e.formData.append('added', %1); });").arg(js(hard()));
        if (way == QLatin1String("click"))
            s += QStringLiteral("sub.click();");
        else if (way == QLatin1String("requestSubmit"))
            s += QStringLiteral("form.requestSubmit(sub);");
        else if (way == QLatin1String("submit"))
            s += QStringLiteral("form.submit();");
        else
            s += QStringLiteral("form.submit(); if (form.elements.length) form.elements[0].value = %1; form.submit();").arg(js(hard()));
        s += QStringLiteral("})();");
        c.script = s;

        QByteArray body;
        if (target == QLatin1String("loaded frame"))
            body = "<iframe name=t src='/blank'></iframe>";
        else if (target == QLatin1String("unloaded frame"))
            body = "<iframe name=t></iframe>";
        else if (target == QLatin1String("form in a frame"))
            body = "<iframe src='/frame" + sink + "'></iframe>";
        c.pageHtml = "<!DOCTYPE html><html><head></head><body>" + body + "</body></html>";
        if (target == QLatin1String("form in a frame"))
            c.frameHtml = "<!DOCTYPE html><html><body><p>frame</p></body></html>";
        c.enctype = enctype.section(u'/', 1);
        c.kind = QStringLiteral("%1 / %2 / %3 / %4").arg(c.enctype, QString::fromLatin1(c.charset), way, target);
        if (pageScript != QLatin1String("none"))
            c.kind += QStringLiteral(" / ") + pageScript;
        if (c.secondPost)
            c.kind += QStringLiteral(" / then a confirmation page");
        return c;
    }

private:
    QString pick(std::initializer_list<const char *> options)
    {
        const int i = int(m_random.bounded(int(options.size())));
        return QString::fromUtf8(*(options.begin() + i));
    }
    bool chance(int oneIn) { return m_random.bounded(oneIn) == 0; }

    // Names and values from characters that encoders get wrong.
    QString hard()
    {
        static const QStringList pool = {
            QStringLiteral("a"), QStringLiteral("Zz9"), QStringLiteral(" "), QString(QChar(0)), QStringLiteral("\r"),
            QStringLiteral("\n"), QStringLiteral("\r\n"), QStringLiteral("\""), QStringLiteral("'"), QStringLiteral("\\"),
            QStringLiteral("&"), QStringLiteral("="), QStringLiteral("+"), QStringLiteral("%"), QStringLiteral("*-._~"),
            QStringLiteral("\u00e9"), QStringLiteral("\u20ac"), QStringLiteral("\u65e5\u672c"), QStringLiteral("\u0416"),
            QStringLiteral("\u0159"), QStringLiteral("\U0001F600"), QStringLiteral("\uff71"), QStringLiteral("&#1;"),
        };
        QString out;
        const int parts = int(m_random.bounded(5));
        for (int i = 0; i < parts; ++i)
            out += pool.at(int(m_random.bounded(int(pool.size()))));
        return out;
    }

    QString fileName()
    {
        return QStringList{QStringLiteral("data.bin"), QStringLiteral("a b.txt"), QStringLiteral("q\"uote.png"),
                           QStringLiteral("line\nbreak"), QStringLiteral("\u65e5\u00e9.txt"), QString()}
            .at(int(m_random.bounded(6)));
    }

    QRandomGenerator m_random;
};


struct Tally
{
    int exact = 0;
    int markedExact = 0;
    int markedWrong = 0;
    int silent = 0;
};

} // namespace

class TestPostFuzz : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void randomPosts_data();
    void randomPosts();
    void cleanupTestCase();

private:
    TWebBrowser *newView();
    bool post(const PostCase &c, QString *failure);
    bool checkBody(const PostCase &c, const QString &kind, const QByteArray &sink, qsizetype requestIndex,
                   QString *failure);

    HttpServer m_server;
    std::unique_ptr<TWebBrowser> m_view;
    std::unique_ptr<TWebBrowser> m_popup;
    QList<QPair<QString, PostDataRef>> m_navigations;
    QMap<QString, Tally> m_byKind;
    QMap<QString, Tally> m_byEnctype;
    // Urlencoded and text/plain posts that were marked, where the engine hands out their bodies.
    QStringList m_markedWithoutFiles;
    QMap<QString, int> m_doubts;
    int m_posts = 0;
};

TWebBrowser *TestPostFuzz::newView()
{
    auto *view = new TWebBrowser;
    view->resize(600, 400);
    connect(view, &TWebBrowser::BeforeNavigate2, this, [this](TWebBrowser *, const QString &url, const PostDataRef &postData) {
        m_navigations.append({url, postData});
    });
    connect(
        view, &TWebBrowser::NewWindow2, this,
        [this](TWebBrowser *, QWebEnginePage **ppDisp, bool *) {
            if (m_popup)
                m_popup.release()->deleteLater();
            m_popup.reset(newView());
            *ppDisp = m_popup->Application();
        },
        Qt::DirectConnection);
    return view;
}

void TestPostFuzz::initTestCase()
{
    QVERIFY(m_server.listen());
    m_server.setHandler([](const HttpRequest &r) {
        HttpResponse ok = HttpResponse::html("<!DOCTYPE html><html><body>received</body></html>");
        // A confirmation page: the same address again, with entries of its own.
        if (r.path.endsWith("/twice") && r.method == "POST" && !r.body.contains("confirmed=yes"))
            return HttpResponse::html("<!DOCTYPE html><html><body><form method=post action='" + r.path + "'>"
                                      "<input type=hidden name=token value='" + QByteArray::number(r.body.size()) + "'>"
                                      "<input type=hidden name=confirmed value=yes>"
                                      "<button id=yes name=post value=yes>Yes</button></form></body></html>");
        if (r.path == "/blank")
            return HttpResponse::html("<!DOCTYPE html><html><body>blank</body></html>");
        return ok;
    });
    m_view.reset(newView());
    m_view->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
}

void TestPostFuzz::randomPosts_data()
{
    QTest::addColumn<quint32>("seed");
    quint32 first = 1, count = 3;
    const QString seeds = qEnvironmentVariable("TS_POST_SEEDS");
    if (!seeds.isEmpty()) {
        first = seeds.section(u':', 0, 0).toUInt();
        count = seeds.section(u':', 1, 1).toUInt();
    }
    for (quint32 seed = first; seed < first + count; ++seed)
        QTest::newRow(qPrintable(QStringLiteral("seed %1").arg(seed))) << seed;
}

void TestPostFuzz::randomPosts()
{
    QFETCH(quint32, seed);
    const int perSeed = qEnvironmentVariableIsSet("TS_POSTS_PER_SEED") ? qEnvironmentVariableIntValue("TS_POSTS_PER_SEED") : 6;
    PostGenerator generator(seed);
    QStringList failures;
    for (int i = 0; i < perSeed; ++i) {
        const PostCase c = generator.next(QStringLiteral("/fuzz/%1/%2").arg(seed).arg(i).toLatin1());
        QString failure;
        if (!post(c, &failure))
            failures << QStringLiteral("post %1 (%2): %3").arg(i).arg(c.kind, failure);
    }
    int marked = 0, silent = 0;
    for (const Tally &t : std::as_const(m_byKind)) {
        marked += t.markedExact + t.markedWrong;
        silent += t.silent;
    }
    qInfo("so far: %d posts, %d marked, %d silent mismatches", m_posts, marked, silent);
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join(u'\n')));
}

// Makes one post; false (with the reason) when the recorded body is silently not the wire's.
bool TestPostFuzz::post(const PostCase &c, QString *failure)
{
    const QByteArray pagePath = "/page" + c.sink;
    m_server.route(pagePath, HttpResponse::html(c.pageHtml, c.charset));
    if (!c.frameHtml.isEmpty())
        m_server.route("/frame" + c.sink, HttpResponse::html(c.frameHtml, c.charset));
    m_server.clearRequests();

    bool loaded = false;
    QObject scope;
    connect(m_view.get(), &QWebEngineView::loadFinished, &scope, [&](bool ok) { loaded = ok && m_view->url() == m_server.url(pagePath); });
    // The view may still be busy with the last post's pages: a second try after a stop.
    for (int attempt = 0; attempt < 2 && !loaded; ++attempt) {
        m_view->stop();
        m_view->load(m_server.url(pagePath));
        (void)QTest::qWaitFor([&] { return loaded; }, 15000);
    }
    if (!loaded) {
        *failure = QStringLiteral("page did not load");
        return false;
    }
    // A frame the page loads has loaded before the form is made.
    if (c.pageHtml.contains("src=") && !QTest::qWaitFor([&] {
            return !m_server.requestsTo("/blank").isEmpty() || !m_server.requestsTo("/frame" + c.sink).isEmpty();
        }, 5000)) {
        *failure = QStringLiteral("the page's frame did not load");
        return false;
    }
    QTest::qWait(50);
    m_navigations.clear();

    bool done = false;
    m_view->page()->runJavaScript(c.script, [&](const QVariant &) { done = true; });
    if (!QTest::qWaitFor([&] { return done; }, 10000)) {
        *failure = QStringLiteral("the script did not run");
        return false;
    }
    if (!m_server.waitForRequest(c.sink, 10000)) {
        *failure = QStringLiteral("the engine sent nothing");
        return false;
    }
    if (!checkBody(c, c.kind, c.sink, m_server.requestsTo(c.sink).size() - 1, failure))
        return false;
    if (c.secondPost) {
        // The confirmation page posts to the address the form just posted to.
        bool confirmLoaded = false;
        (void)QTest::qWaitFor([&] {
            // By path: a submitter's formaction may have added a query.
            if (!m_view->page()->isLoading() && m_view->url().path().toLatin1() == c.sink)
                confirmLoaded = true;
            return confirmLoaded;
        }, 10000);
        if (!confirmLoaded) {
            *failure = QStringLiteral("the confirmation page did not load");
            return false;
        }
        QTest::qWait(50);
        bool clicked = false;
        m_view->page()->runJavaScript(QStringLiteral("document.getElementById('yes').click();"),
                                      [&](const QVariant &) { clicked = true; });
        if (!QTest::qWaitFor([&] { return clicked && m_server.requestsTo(c.sink).size() >= 2; }, 10000)) {
            *failure = QStringLiteral("the confirmation page sent nothing");
            return false;
        }
        if (!checkBody(c, c.kind + QStringLiteral(" (its second post)"), c.sink, 1, failure))
            return false;
    }
    // The next post starts from a quiet view.
    if (m_popup)
        m_popup.release()->deleteLater();
    return true;
}

// The body recorded for the request-index-th post to the sink against the server's bytes.
bool TestPostFuzz::checkBody(const PostCase &c, const QString &kind, const QByteArray &sink, qsizetype requestIndex,
                             QString *failure)
{
    const HttpRequest request = m_server.requestsTo(sink).at(requestIndex);
    PostDataRef postData;
    (void)QTest::qWaitFor([&] {
        qsizetype seen = 0;
        for (const auto &n : std::as_const(m_navigations)) {
            if (QUrl(n.first).path().toLatin1() == sink && n.second->hasBody() && seen++ == requestIndex)
                postData = n.second;
        }
        return bool(postData);
    }, 8000);
    ++m_posts;
    Tally &tally = m_byKind[kind];
    Tally &byClass = m_byEnctype[c.enctype];
    if (!postData) {
        ++tally.silent;
        ++byClass.silent;
        *failure = QStringLiteral("no body was recorded and none was marked missing");
        return false;
    }
    if (!postData->isCertain()) {
        ++m_doubts[postData->doubt()];
        if (c.enctype != QLatin1String("form-data"))
            m_markedWithoutFiles << kind;
    }
    if (sameAsWire(*postData, request)) {
        ++(postData->isCertain() ? tally.exact : tally.markedExact);
        ++(postData->isCertain() ? byClass.exact : byClass.markedExact);
    } else if (!postData->isCertain()) {
        ++tally.markedWrong;
        ++byClass.markedWrong;
    } else {
        ++tally.silent;
        ++byClass.silent;
        *failure = QStringLiteral("silently wrong\n  wire: %1 %2\n  ours: %3 %4\n  script: %5")
                       .arg(QString::fromLatin1(request.header("Content-Type")),
                            QString::fromLatin1(request.body.toPercentEncoding(" =&-;:\"")),
                            QString::fromLatin1(postData->contentType()),
                            QString::fromLatin1(postData->body().toPercentEncoding(" =&-;:\"")), c.script);
        return false;
    }
    return true;
}

void TestPostFuzz::cleanupTestCase()
{
    Tally all;
    qInfo("%d posts; by class (enctype / charset / way / target): exact, marked and exact, marked and wrong, SILENT", m_posts);
    for (auto it = m_byKind.cbegin(); it != m_byKind.cend(); ++it) {
        const Tally &t = it.value();
        all.exact += t.exact;
        all.markedExact += t.markedExact;
        all.markedWrong += t.markedWrong;
        all.silent += t.silent;
        if (t.markedExact || t.markedWrong || t.silent)
            qInfo("  %s: %d, %d, %d, %d", qPrintable(it.key()), t.exact, t.markedExact, t.markedWrong, t.silent);
    }
    qInfo("total: %d exact, %d marked and exact, %d marked and wrong, %d silent mismatches", all.exact, all.markedExact,
          all.markedWrong, all.silent);
    for (auto it = m_doubts.cbegin(); it != m_doubts.cend(); ++it)
        qInfo("  marked %d times: %s", it.value(), qPrintable(it.key()));
    qInfo("by enctype: posts, marked (share)");
    for (auto it = m_byEnctype.cbegin(); it != m_byEnctype.cend(); ++it) {
        const Tally &t = it.value();
        const int posts = t.exact + t.markedExact + t.markedWrong + t.silent;
        const int marked = t.markedExact + t.markedWrong;
        qInfo("enctype %s: %d posts, %d marked (%.1f %%)", qPrintable(it.key()), posts, marked,
              posts ? 100.0 * marked / posts : 0.0);
    }
    const int differences = m_view ? BodyCapture::forProfile(m_view->page()->profile())->encodingDifferences() : 0;
    qInfo("bodies where our encoding differed from the network layer's: %d", differences);
    m_popup.reset();
    m_view.reset();
    QCOMPARE(all.silent, 0);
    // Our encoder must agree with the engine wherever the engine shows its bytes.
    QCOMPARE(differences, 0);
#if QT_VERSION >= QT_VERSION_CHECK(6, 7, 0)
    // The engine hands these bodies out whole: none needs a mark.
    QVERIFY2(m_markedWithoutFiles.isEmpty(), qPrintable(m_markedWithoutFiles.join(u'\n')));
#endif
}

int main(int argc, char **argv)
{
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    TestPostFuzz test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_postfuzz.moc"
