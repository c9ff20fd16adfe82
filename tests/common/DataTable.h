#pragma once

// A QtTest data table declared once and filled one row a call: the columns are named with their
// types, and each row's values convert to those types, so a row reads as a call with plain literals.
//     DataTable<bool, QString> row("hexa", "text");
//     row("ascii AB", false, "AB");
// The test function takes a row's values in one line with fetch().

#include <QtTest>

#include <concepts>
#include <tuple>

namespace kivotest {

template <class... Columns> class DataTable
{
public:
    explicit DataTable(std::convertible_to<const char *> auto... names)
    {
        static_assert(sizeof...(names) == sizeof...(Columns), "one name a column");
        (QTest::addColumn<Columns>(names), ...);
    }
    void operator()(const QString &tag, const Columns &...values) const
    {
        (QTest::newRow(qPrintable(tag)) << ... << values);
    }
};

// The current row's values of the named columns, checked by name and type as QFETCH checks them:
//     const auto [hexa, text] = fetch<bool, QString>("hexa", "text");
template <class... T> std::tuple<T...> fetch(std::convertible_to<const char *> auto... names)
{
    static_assert(sizeof...(names) == sizeof...(T), "one name a column");
    return {*static_cast<T *>(QTest::qData(names, qMetaTypeId<T>()))...};
}

} // namespace kivotest
