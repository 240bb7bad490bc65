#include "office/clsOffice.h"
#include "platform/DwError.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QStringList>

using namespace dwfm;

namespace {
// A word processor and a spreadsheet as a scripted object model. Every member used is
// logged as one line ("Documents.Add(Template=a.dot, NewTemplate=false)"); the call
// numbered `failAt` (1-based) fails with "Mislukt: " and its line.
struct Model {
    QStringList log;
    int failAt = 0;
    bool running = false, startable = true, attachThrows = false;
    QStringList documents;
    int active = 0; // 1-based; 0 = none

    void touch(const QString &line)
    {
        log << line;
        if (log.size() == failAt)
            throw DwError(1004, QStringLiteral("Mislukt: ") + line);
    }
    void open(const QString &name)
    {
        documents << name;
        active = int(documents.size());
    }
};

QString text(const QVariant &value) { return value.typeId() == QMetaType::Bool ? (value.toBool() ? "true" : "false") : value.toString(); }

class Scripted : public AutomationObject, public AutomationServers {
public:
    Scripted(Model &model, QString name, int document = 0) : m(model), m_name(std::move(name)), m_document(document) {}

    AutomationRef object(const QString &member, const QVariantList &index) override
    {
        m.touch(m_name + '.' + member + (index.isEmpty() ? QString() : '(' + index[0].toString() + ')'));
        if (member == QLatin1String("Activedocument"))
            return std::make_shared<Scripted>(m, QStringLiteral("Doc"), m.active);
        return std::make_shared<Scripted>(m, member == QLatin1String("Item") ? QStringLiteral("Doc") : member,
                                          index.isEmpty() ? m_document : index[0].toInt());
    }
    QVariant get(const QString &member) override
    {
        m.touch(m_name + '.' + member);
        if (member == QLatin1String("Count"))
            return int(m.documents.size());
        return m_name == QLatin1String("Doc") ? m.documents.value(m_document - 1) : QStringLiteral("Map1");
    }
    void set(const QString &member, const QVariant &value) override { m.touch(m_name + '.' + member + '=' + text(value)); }
    QVariant invoke(const QString &method, const NamedArguments &arguments) override
    {
        QStringList args;
        for (const NamedArgument &a : arguments)
            args << a.name + '=' + text(a.value);
        m.touch(m_name + '.' + method + '(' + args.join(QStringLiteral(", ")) + ')');
        if (m_name == QLatin1String("Documents") && method == QLatin1String("Add"))
            m.open(QStringLiteral("Document%1").arg(m.documents.size() + 1));
        else if (method == QLatin1String("Execute"))
            m.open(QStringLiteral("Standaardbrieven1"));
        else if (method == QLatin1String("Activate"))
            m.active = m_document;
        else if (method == QLatin1String("Close"))
            m.documents.removeAt(m_document - 1), m.active = int(m.documents.size());
        return {};
    }
    AutomationRef attach(const QString &className) override
    {
        m.log << QStringLiteral("attach ") + className;
        if (m.attachThrows)
            throw DwError(429, QStringLiteral("geen object"));
        return m.running ? std::make_shared<Scripted>(m, className) : nullptr;
    }
    AutomationRef start(const QString &className) override
    {
        m.log << QStringLiteral("start ") + className;
        return m.startable ? std::make_shared<Scripted>(m, className) : nullptr;
    }

private:
    Model &m;
    QString m_name;
    int m_document;
};

struct Installed {
    Model model;
    Scripted servers{model, QString()};
    Installed() { setAutomationServers(&servers); }
    ~Installed() { setAutomationServers(nullptr); }
};
} // namespace

TEST(clsOffice, ThisPlatformHasNoServers)
{
    clsOffice office;
    EXPECT_FALSE(office.GetExcelReference());
    EXPECT_EQ(office.LatestError(), QStringLiteral("Excel niet geinstalleerd!"));
    EXPECT_FALSE(office.GetWordReference());
    EXPECT_EQ(office.LatestError(), QStringLiteral("Word niet geinstalleerd!"));
    EXPECT_FALSE(office.IsWordReferenced());
    EXPECT_EQ(office.CreateDocument(QStringLiteral("brief.dot")), QString());
    EXPECT_EQ(office.CreateWorkBook(), QString());
    EXPECT_NE(office.LatestError(), QStringLiteral("Word niet geinstalleerd!"));
}

TEST(clsOffice, AttachBeforeStartAndEachStepFallsThrough)
{
    struct Case {
        bool running, attachThrows, startable;
        int failAt;
        bool result;
        QStringList log;
    };
    const QString attach = "attach Word.Application", start = "start Word.Application";
    const QStringList visible{"Word.Application.Application", "Application.Visible=true"};
    const Case cases[] = {
        {true, false, true, 0, true, QStringList{attach} + visible},
        {false, false, true, 0, true, QStringList{attach, start} + visible},
        {false, true, true, 0, true, QStringList{attach, start} + visible},
        {false, false, false, 0, false, {attach, start}},
        {true, false, true, 2, true, {attach, visible[0]}}, // making it visible failed: ignored
    };
    for (const Case &c : cases) {
        Installed installed;
        installed.model.running = c.running, installed.model.attachThrows = c.attachThrows;
        installed.model.startable = c.startable, installed.model.failAt = c.failAt;
        clsOffice office;
        EXPECT_EQ(office.GetWordReference(), c.result) << c.log.join(" / ").toStdString();
        EXPECT_EQ(installed.model.log, c.log);
        EXPECT_EQ(office.IsWordReferenced(), c.result);
        EXPECT_EQ(office.LatestError(), c.result ? QString() : QStringLiteral("Word niet geinstalleerd!"));
    }
}

TEST(clsOffice, DocumentsWorkbooksAndExactNames)
{
    Installed installed;
    clsOffice office;
    ASSERT_TRUE(office.GetWordReference());
    ASSERT_TRUE(office.GetExcelReference());
    EXPECT_EQ(office.CreateDocument(QStringLiteral("a.dot")), QStringLiteral("Document1"));
    EXPECT_EQ(office.CreateDocument(QStringLiteral("b.dot")), QStringLiteral("Document2"));
    EXPECT_FALSE(office.SetDocumentAsActive(QStringLiteral("document1")));
    EXPECT_TRUE(office.SetDocumentAsActive(QStringLiteral("Document1")));
    EXPECT_EQ(installed.model.active, 1);
    EXPECT_EQ(office.CreateWorkBook(), QStringLiteral("Map1"));
    EXPECT_TRUE(installed.model.log.contains(QStringLiteral("workbooks.Add()")));
    EXPECT_EQ(office.LatestError(), QString());
}

TEST(clsOffice, MailMergeCallsInOrderAndAFailureAtEachStep)
{
    // Every call of a merge in order, with what the merge answers when that call fails: a
    // failure while looking for a document to activate only makes that search fail, so the
    // merged document's name is still answered; any other failure answers empty text.
    const QString merged = QStringLiteral("Standaardbrieven1");
    const std::pair<QString, QString> steps[] = {
        {"Word.Application.Documents", ""},
        {"Documents.Add(Template=brief.dot, NewTemplate=false)", ""},
        {"Word.Application.Activedocument", ""},
        {"Doc.Name", ""},
        {"Word.Application.Activedocument", ""},
        {"Doc.MailMerge", ""},
        {"MailMerge.OpenDataSource(Name=adressen.csv, ConfirmConversions=false, ReadOnly=true, LinkToSource=false, "
         "AddToRecentFiles=false, PasswordDocument=, PasswordTemplate=, WritePasswordDocument=, WritePasswordTemplate=, "
         "Revert=false, Format=0, Connection=, SQLStatement=, SQLStatement1=)",
         ""},
        {"MailMerge.Destination=0", ""},
        {"MailMerge.Execute(Pause=true)", ""},
        {"Word.Application.Activedocument", ""},
        {"Doc.Name", ""},
        {"Word.Application.Documents", merged},
        {"Documents.Count", merged},
        {"Documents.Item(1)", merged},
        {"Doc.Name", merged},
        {"Doc.Activate()", merged},
        {"Word.Application.Activedocument", ""},
        {"Doc.Close(SaveChanges=false)", ""},
        {"Word.Application.Documents", merged},
        {"Documents.Count", merged},
        {"Documents.Item(1)", merged},
        {"Doc.Name", merged},
        {"Doc.Activate()", merged},
    };
    for (int failAt = 0; failAt <= int(std::size(steps)); ++failAt) {
        Installed installed;
        installed.model.running = true;
        clsOffice office;
        ASSERT_TRUE(office.GetWordReference());
        installed.model.log.clear();
        installed.model.failAt = failAt;
        const QString result = office.MergeDocument(QStringLiteral("brief.dot"), QStringLiteral("adressen.csv"));
        if (failAt == 0) {
            QStringList expected;
            for (const auto &step : steps)
                expected << step.first;
            EXPECT_EQ(installed.model.log, expected);
            EXPECT_EQ(result, merged);
            EXPECT_EQ(installed.model.documents, QStringList{merged});
            EXPECT_EQ(office.LatestError(), QString());
            continue;
        }
        const auto &[line, answer] = steps[failAt - 1];
        EXPECT_EQ(result, answer) << failAt << ": " << line.toStdString();
        EXPECT_EQ(office.LatestError(), QStringLiteral("Mislukt: ") + line) << failAt;
        // Before the merge ran there is no merged document.
        EXPECT_EQ(installed.model.documents.contains(merged), failAt > 9) << failAt;
    }
}
