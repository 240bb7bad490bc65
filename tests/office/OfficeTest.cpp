#include "office/clsOffice.h"
#include "DwError.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace dwfm;

namespace {
// A scripted word processor: every member used is logged as one line
// ("Documents.Add(Template=a.dot, NewTemplate=false)"), and the log line numbered
// `failAt` (1-based) fails with "Mislukt: " and that line.
struct Model {
    QStringList log, documents;
    int failAt = 0, active = 0; // active: 1-based, 0 = none
    bool running = false;

    void touch(const QString &line)
    {
        log << line;
        if (log.size() == failAt)
            throw DwError(1004, QStringLiteral("Mislukt: ") + line);
    }
    void open(const QString &name) { documents << name, active = int(documents.size()); }
};

// One object of the model ("Doc" with its document number for a document) and the servers.
struct Scripted : AutomationObject, AutomationServers {
    Model &m;
    QString name;
    int doc = 0;
    Scripted(Model &model, QString n, int d = 0) : m(model), name(std::move(n)), doc(d) {}

    AutomationRef object(const QString &member, const QVariantList &index) override
    {
        m.touch(name + '.' + member + (index.isEmpty() ? QString() : '(' + index[0].toString() + ')'));
        const bool document = member == QLatin1String("Activedocument") || member == QLatin1String("Item");
        return std::make_shared<Scripted>(m, document ? QStringLiteral("Doc") : member,
                                          index.isEmpty() ? (document ? m.active : doc) : index[0].toInt());
    }
    QVariant get(const QString &member) override
    {
        m.touch(name + '.' + member);
        if (member == QLatin1String("Count"))
            return int(m.documents.size());
        return name == QLatin1String("Doc") ? m.documents.value(doc - 1) : QStringLiteral("Map1");
    }
    void set(const QString &member, const QVariant &value) override { m.touch(name + '.' + member + '=' + value.toString()); }
    QVariant invoke(const QString &method, const NamedArguments &arguments) override
    {
        QStringList args;
        for (const NamedArgument &a : arguments)
            args << a.name + '=' + a.value.toString();
        m.touch(name + '.' + method + '(' + args.join(QStringLiteral(", ")) + ')');
        if (name == QLatin1String("Documents"))
            m.open(QStringLiteral("Document%1").arg(m.documents.size() + 1));
        else if (method == QLatin1String("Execute"))
            m.open(QStringLiteral("Standaardbrieven1"));
        else if (method == QLatin1String("Activate"))
            m.active = doc;
        else if (method == QLatin1String("Close"))
            m.documents.removeAt(doc - 1), m.active = int(m.documents.size());
        return {};
    }
    AutomationRef attach(const QString &className) override
    {
        m.log << "attach " + className;
        return m.running ? std::make_shared<Scripted>(m, className) : nullptr;
    }
    AutomationRef start(const QString &className) override
    {
        m.log << "start " + className;
        return std::make_shared<Scripted>(m, className);
    }
};

struct Installed : Model {
    Scripted servers{*this, QString()};
    Installed() { setAutomationServers(&servers); }
    ~Installed() { setAutomationServers(nullptr); }
};
} // namespace

TEST(clsOffice, StartsOneWhenNoneRunsAndThisPlatformHasNone)
{
    {
        Installed model;
        clsOffice office;
        EXPECT_TRUE(office.GetExcelReference());
        EXPECT_EQ(model.log.mid(0, 2), QStringList({"attach Excel.Application", "start Excel.Application"}));
        EXPECT_EQ(office.CreateWorkBook(), QStringLiteral("Map1"));
    }
    clsOffice office;
    EXPECT_FALSE(office.GetExcelReference());
    EXPECT_EQ(office.LatestError(), QStringLiteral("Excel niet geinstalleerd!"));
    EXPECT_FALSE(office.GetWordReference());
    EXPECT_EQ(office.LatestError(), QStringLiteral("Word niet geinstalleerd!"));
    EXPECT_EQ(office.CreateDocument(QStringLiteral("brief.dot")), QString());
    EXPECT_NE(office.LatestError(), QStringLiteral("Word niet geinstalleerd!"));
}

TEST(clsOffice, MailMergeCallsInOrderAndAFailureAtEachStep)
{
    // Every call of a merge in order. A failure while looking for a document to activate
    // (calls 12-16 for the template's document, 19-23 for the merged one) only makes that
    // search fail, so the merged document's name is still answered; any other failure
    // answers empty text.
    const QString merged = QStringLiteral("Standaardbrieven1");
    const QStringList steps{
        "Word.Application.Documents", "Documents.Add(Template=brief.dot, NewTemplate=false)",
        "Word.Application.Activedocument", "Doc.Name", "Word.Application.Activedocument", "Doc.MailMerge",
        "MailMerge.OpenDataSource(Name=adressen.csv, ConfirmConversions=false, ReadOnly=true, LinkToSource=false, "
        "AddToRecentFiles=false, PasswordDocument=, PasswordTemplate=, WritePasswordDocument=, WritePasswordTemplate=, "
        "Revert=false, Format=0, Connection=, SQLStatement=, SQLStatement1=)",
        "MailMerge.Destination=0", "MailMerge.Execute(Pause=true)", "Word.Application.Activedocument", "Doc.Name",
        "Word.Application.Documents", "Documents.Count", "Documents.Item(1)", "Doc.Name", "Doc.Activate()",
        "Word.Application.Activedocument", "Doc.Close(SaveChanges=false)",
        "Word.Application.Documents", "Documents.Count", "Documents.Item(1)", "Doc.Name", "Doc.Activate()"};
    const auto stillAnswered = [](int call) { return (call >= 12 && call <= 16) || call >= 19; };
    for (int failAt = 0; failAt <= steps.size(); ++failAt) {
        Installed model;
        model.running = true;
        clsOffice office;
        // A running word processor is used as it is: nothing is started.
        ASSERT_TRUE(office.GetWordReference());
        EXPECT_EQ(model.log, QStringList({"attach Word.Application", "Word.Application.Application",
                                          "Application.Visible=true"}));
        model.log.clear();
        model.failAt = failAt;
        const QString result = office.MergeDocument(QStringLiteral("brief.dot"), QStringLiteral("adressen.csv"));
        if (failAt == 0) {
            EXPECT_EQ(model.log, steps);
            EXPECT_EQ(result, merged);
            EXPECT_EQ(model.documents, QStringList{merged}); // the template's document is closed
            EXPECT_FALSE(office.SetDocumentAsActive(QStringLiteral("standaardbrieven1"))); // case counts
            EXPECT_EQ(office.LatestError(), QString());
            continue;
        }
        EXPECT_EQ(result, stillAnswered(failAt) ? merged : QString()) << failAt;
        EXPECT_EQ(office.LatestError(), QStringLiteral("Mislukt: ") + steps[failAt - 1]) << failAt;
        // Before the merge ran there is no merged document.
        EXPECT_EQ(model.documents.contains(merged), failAt > 9) << failAt;
    }
}
