#include "RowShape.h"

namespace dwfm::store::RowShapes {

const RowShape &file()
{
    static const RowShape shape{
        {QStringLiteral("Projectid"), QStringLiteral("FileName"), QStringLiteral("CheckedOut"), QStringLiteral("UserID"),
         QStringLiteral("Checkoutdate"), QStringLiteral("ComputerName"), QStringLiteral("ProjectCheckoutlocation"),
         QStringLiteral("CheckOutDescription"), QStringLiteral("Locked"), QStringLiteral("DefaultProject"),
         QStringLiteral("LocationID")},
        {ColumnKind::Integer, ColumnKind::Text, ColumnKind::Boolean, ColumnKind::Text, ColumnKind::DateTime,
         ColumnKind::Text, ColumnKind::Text, ColumnKind::Text, ColumnKind::Boolean, ColumnKind::Boolean,
         ColumnKind::Integer}};
    return shape;
}

const RowShape &fileInfo()
{
    static const RowShape shape = [] {
        RowShape s = file();
        s.fields << QStringLiteral("Workname");
        s.kinds.push_back(ColumnKind::Text);
        return s;
    }();
    return shape;
}

const RowShape &foundFile()
{
    static const RowShape shape = [] {
        RowShape s = file();
        s.fields << QStringLiteral("LocationPath");
        s.kinds.push_back(ColumnKind::Text);
        return s;
    }();
    return shape;
}

const RowShape &history()
{
    static const RowShape shape{{QStringLiteral("Description"), QStringLiteral("ActionDate"), QStringLiteral("ActionTime"),
                                 QStringLiteral("UserName"), QStringLiteral("Memo"), QStringLiteral("ActionMoment")},
                                {ColumnKind::Text, ColumnKind::Date, ColumnKind::Time, ColumnKind::Text,
                                 ColumnKind::Text, ColumnKind::DateTime}};
    return shape;
}

const RowShape &childLocations()
{
    static const RowShape shape{{QStringLiteral("ChildID"), QStringLiteral("childpath"), QStringLiteral("HasChildren")},
                                {ColumnKind::Integer, ColumnKind::Text, ColumnKind::Boolean}};
    return shape;
}

const RowShape &roots()
{
    static const RowShape shape{{QStringLiteral("RootID"), QStringLiteral("Tekstnode")},
                                {ColumnKind::Integer, ColumnKind::Text}};
    return shape;
}

const RowShape &versions()
{
    static const RowShape shape{{QStringLiteral("Version"), QStringLiteral("Hash"), QStringLiteral("Size"),
                                 QStringLiteral("UserName"), QStringLiteral("VersionDate"), QStringLiteral("Remark"),
                                 QStringLiteral("IsCurrent"), QStringLiteral("IsCheckOutBase")},
                                {ColumnKind::Integer, ColumnKind::Text, ColumnKind::Integer64, ColumnKind::Text,
                                 ColumnKind::DateTime, ColumnKind::Text, ColumnKind::Boolean, ColumnKind::Boolean}};
    return shape;
}

} // namespace dwfm::store::RowShapes
