// The help manual in doc/: every page has a title and a link back to the contents, every
// link and picture resolves inside the manual, every anchor exists on its page, every page
// can be reached from index.html, and every picture is used. The help window is a plain
// text browser, so pages must not load scripts or style sheets either.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

namespace {

using FileMap = QMap<QString, QByteArray>;  // path in the manual -> content

struct Page {
    QString title;
    QStringList links;   // href values
    QStringList images;  // img src values
    QSet<QString> anchors;
    bool script = false;
    bool styleSheet = false;
};

QStringList attributeValues(const QString &html, const QString &element, const QString &attribute)
{
    // The value of attribute in every <element ...> tag, in double or single quotes.
    const QRegularExpression tag(QString("<%1\\b[^>]*>").arg(element), QRegularExpression::CaseInsensitiveOption);
    const QRegularExpression value(QString("\\b%1\\s*=\\s*(?:\"([^\"]*)\"|'([^']*)')").arg(attribute),
                                   QRegularExpression::CaseInsensitiveOption);
    QStringList values;
    for (auto tags = tag.globalMatch(html); tags.hasNext();) {
        const QRegularExpressionMatch m = value.match(tags.next().captured(0));
        if (m.hasMatch()) values << (m.capturedStart(1) >= 0 ? m.captured(1) : m.captured(2));
    }
    return values;
}

Page readPage(const QString &path)
{
    QFile file(path);
    Page page;
    if (!file.open(QIODevice::ReadOnly)) return page;
    const QString html = QString::fromUtf8(file.readAll());
    const QRegularExpression title("<title>(.*)</title>",
                                   QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption |
                                       QRegularExpression::InvertedGreedinessOption);
    page.title = title.match(html).captured(1).simplified();
    page.links = attributeValues(html, "a", "href");
    page.images = attributeValues(html, "img", "src");
    for (const QString &name : attributeValues(html, "a", "name")) page.anchors.insert(name);
    for (const char *element : {"a", "h1", "h2", "h3", "p", "table", "td", "li"})
        for (const QString &id : attributeValues(html, element, "id")) page.anchors.insert(id);
    page.script = html.contains(QRegularExpression("<script\\b", QRegularExpression::CaseInsensitiveOption));
    page.styleSheet = html.contains(QRegularExpression("<link\\b", QRegularExpression::CaseInsensitiveOption));
    return page;
}

// Problems of the manual in folder, by page file name ("" for problems of no single page).
QMap<QString, QStringList> manualProblems(const QString &folder)
{
    const QDir dir(folder);
    const QString root = QDir::cleanPath(dir.absolutePath());
    QMap<QString, Page> pages;
    for (const QString &name : dir.entryList({"*.html", "*.htm"}, QDir::Files, QDir::Name))
        pages.insert(name, readPage(dir.filePath(name)));

    QMap<QString, QStringList> problems;
    QMap<QString, QStringList> linkedPages;  // page -> pages it links to
    QSet<QString> usedFiles;

    // A reference from a page to a file of the manual, as a path relative to the folder,
    // or an empty string (with a problem) when it leaves the manual.
    const auto resolve = [&](const QString &page, const QString &reference, const char *what) -> QString {
        if (QUrl(reference).isRelative() == false || reference.startsWith("//")) {
            problems[page] << QString("%1 leads outside the manual: %2").arg(what, reference);
            return {};
        }
        const QString path = QUrl::fromPercentEncoding(reference.toUtf8());
        const QString absolute = QDir::cleanPath(root + "/" + path);
        if (path.startsWith('/') || !absolute.startsWith(root + "/")) {
            problems[page] << QString("%1 leads outside the manual: %2").arg(what, reference);
            return {};
        }
        if (!QFileInfo(absolute).isFile()) {
            problems[page] << QString("%1 does not resolve to a file: %2").arg(what, reference);
            return {};
        }
        const QString relative = absolute.mid(root.size() + 1);
        usedFiles.insert(relative);
        return relative;
    };

    for (auto it = pages.cbegin(); it != pages.cend(); ++it) {
        const QString &name = it.key();
        const Page &page = it.value();
        if (page.title.isEmpty()) problems[name] << "the page has no <title>";
        if (page.script) problems[name] << "the page uses a script";
        if (page.styleSheet) problems[name] << "the page loads a style sheet";
        bool backToContents = false;
        for (const QString &link : page.links) {
            const int hash = link.indexOf('#');
            const QString target = hash < 0 ? link : link.left(hash);
            const QString anchor = hash < 0 ? QString() : link.mid(hash + 1);
            QString file = name;
            if (!target.isEmpty()) {
                file = resolve(name, target, "link");
                if (file.isEmpty()) continue;
            }
            if (file == "index.html") backToContents = true;
            if (!pages.contains(file)) {
                if (!anchor.isEmpty()) problems[name] << QString("link has an anchor on a file that is no page: %1").arg(link);
                continue;
            }
            linkedPages[name] << file;
            if (!anchor.isEmpty() && !pages[file].anchors.contains(anchor))
                problems[name] << QString("link to a missing anchor: %1").arg(link);
        }
        if (name != "index.html" && !backToContents) problems[name] << "the page has no link back to index.html";
        for (const QString &image : page.images) {
            if (image.contains('#')) problems[name] << QString("picture reference with an anchor: %1").arg(image);
            else resolve(name, image, "picture");
        }
    }

    if (!pages.contains("index.html")) {
        problems[""] << "the manual has no index.html";
    } else {
        QSet<QString> reached = {"index.html"};
        QStringList queue = {"index.html"};
        while (!queue.isEmpty()) {
            const QString page = queue.takeFirst();
            for (const QString &next : linkedPages.value(page))
                if (!reached.contains(next)) {
                    reached.insert(next);
                    queue << next;
                }
        }
        for (const QString &name : pages.keys())
            if (!reached.contains(name)) problems[name] << "the page is not reachable from index.html";
    }

    // Pictures no page shows are dead weight in the installed manual.
    for (QDirIterator files(folder, QDir::Files, QDirIterator::Subdirectories); files.hasNext();) {
        const QString relative = QDir::cleanPath(QFileInfo(files.next()).absoluteFilePath()).mid(root.size() + 1);
        const QString suffix = QFileInfo(relative).suffix().toLower();
        if ((suffix == "png" || suffix == "jpg" || suffix == "gif") && !usedFiles.contains(relative))
            problems[""] << QString("no page shows the picture %1").arg(relative);
    }
    return problems;
}

QString manualFolder() { return qEnvironmentVariable("QUENDRA_SOURCE_DIR", QStringLiteral(".")) + "/doc"; }

void writeFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

// A small manual page with the given body.
QByteArray page(const char *title, const char *body)
{
    return QByteArray("<html><head><title>") + title + "</title></head><body>" + body + "</body></html>";
}

}  // namespace

class TestManual : public QObject {
    Q_OBJECT

private slots:
    void pageIsSound_data()
    {
        QTest::addColumn<QString>("page");
        const QStringList names = QDir(manualFolder()).entryList({"*.html"}, QDir::Files, QDir::Name);
        QVERIFY2(names.contains("index.html"), qPrintable("no index.html in " + manualFolder()));
        for (const QString &name : names) QTest::newRow(qPrintable(name)) << name;
    }

    void pageIsSound()
    {
        QFETCH(QString, page);
        static const QMap<QString, QStringList> problems = manualProblems(manualFolder());
        const QStringList found = problems.value(page);
        QVERIFY2(found.isEmpty(), qPrintable(page + ": " + found.join("\n" + page + ": ")));
    }

    void manualAsAWhole()
    {
        const QStringList found = manualProblems(manualFolder()).value("");
        QVERIFY2(found.isEmpty(), qPrintable(found.join("\n")));
        qint64 bytes = 0;
        for (QDirIterator files(manualFolder() + "/images", QDir::Files); files.hasNext();) bytes += QFileInfo(files.next()).size();
        QVERIFY2(bytes < 6 * 1024 * 1024, qPrintable(QString("the pictures take %1 bytes").arg(bytes)));
    }

    // The checker itself, on small made-up manuals: each fault must be reported, naming
    // the page and what is wrong, and a sound manual must pass.
    void checkerFindsFaults_data()
    {
        QTest::addColumn<FileMap>("files");
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("expected");  // a problem text; empty: no problem at all

        const QByteArray index = page("Contents", "<a href=\"a.html\">A</a> <a name=\"top\">top</a>");
        const QByteArray a = page("A", "<a href=\"index.html#top\">back</a>");
        QTest::newRow("sound") << FileMap{{"index.html", index}, {"a.html", a}} << "" << "";
        QTest::newRow("sound, picture in a subfolder")
            << FileMap{{"index.html", page("C", "<img width=\"240\" src=\"images/x.png\">")},
                                         {"images/x.png", "png"}}
            << "" << "";
        QTest::newRow("link to a missing page")
            << FileMap{{"index.html", page("C", "<a href=\"gone.html\">x</a>")}} << "index.html"
            << "link does not resolve to a file: gone.html";
        QTest::newRow("missing anchor on another page")
            << FileMap{{"index.html", index}, {"a.html", page("A", "<a href=\"index.html#bottom\">x</a>")}}
            << "a.html" << "link to a missing anchor: index.html#bottom";
        QTest::newRow("missing anchor on the same page")
            << FileMap{{"index.html", page("C", "<a href='#nowhere'>x</a>")}} << "index.html"
            << "link to a missing anchor: #nowhere";
        QTest::newRow("page not reachable")
            << FileMap{{"index.html", index}, {"a.html", a}, {"lost.html", page("L", "<a href=\"index.html\">c</a>")}}
            << "lost.html" << "the page is not reachable from index.html";
        QTest::newRow("reachable only from an unreachable page")
            << FileMap{{"index.html", index},
                                         {"a.html", a},
                                         {"b.html", page("B", "<a href=\"index.html\">c</a><a href=\"c.html\">c</a>")},
                                         {"c.html", page("C", "<a href=\"index.html\">c</a>")}}
            << "c.html" << "the page is not reachable from index.html";
        QTest::newRow("missing picture")
            << FileMap{{"index.html", page("C", "<img src=\"images/none.png\" width=\"240\">")}}
            << "index.html" << "picture does not resolve to a file: images/none.png";
        QTest::newRow("no title")
            << FileMap{{"index.html", "<html><body><a href=\"a.html\">a</a></body></html>"}, {"a.html", a}}
            << "index.html" << "the page has no <title>";
        QTest::newRow("empty title")
            << FileMap{{"index.html", index}, {"a.html", "<html><head><title> </title></head><body><a href=\"index.html\">c</a></body></html>"}}
            << "a.html" << "the page has no <title>";
        QTest::newRow("no link back")
            << FileMap{{"index.html", index}, {"a.html", page("A", "text")}} << "a.html"
            << "the page has no link back to index.html";
        QTest::newRow("link outside the manual")
            << FileMap{{"index.html", page("C", "<a href=\"http://example.org/\">x</a>")}} << "index.html"
            << "link leads outside the manual: http://example.org/";
        QTest::newRow("link out of the folder")
            << FileMap{{"index.html", page("C", "<a href=\"../README.md\">x</a>")}, {"../README.md", "x"}}
            << "index.html" << "link leads outside the manual: ../README.md";
        QTest::newRow("unused picture")
            << FileMap{{"index.html", page("C", "text")}, {"images/spare.png", "png"}} << ""
            << "no page shows the picture images/spare.png";
        QTest::newRow("script")
            << FileMap{{"index.html", page("C", "<script>x()</script>")}} << "index.html"
            << "the page uses a script";
        QTest::newRow("no index")
            << FileMap{{"a.html", a}} << "" << "the manual has no index.html";
    }

    void checkerFindsFaults()
    {
        QFETCH(FileMap, files);
        QFETCH(QString, page);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString folder = dir.path() + "/doc";
        QDir().mkpath(folder);
        for (auto it = files.cbegin(); it != files.cend(); ++it) writeFile(folder + "/" + it.key(), it.value());
        const QMap<QString, QStringList> problems = manualProblems(folder);
        if (expected.isEmpty()) {
            QStringList all;
            for (auto it = problems.cbegin(); it != problems.cend(); ++it)
                for (const QString &p : it.value()) all << it.key() + ": " + p;
            QVERIFY2(all.isEmpty(), qPrintable(all.join("\n")));
        } else {
            QVERIFY2(problems.value(page).contains(expected),
                     qPrintable(QString("%1 should report \"%2\", reports: %3").arg(page, expected, problems.value(page).join("; "))));
        }
    }
};

QTEST_APPLESS_MAIN(TestManual)
#include "test_manual.moc"
