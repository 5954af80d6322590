#pragma once

// Compact QtTest data tables: the columns are named once and every row is one brace list, so
// a table of many small cases stays short. Each row is tagged with its number and first value.
//
//     addRows<QString, int>({"text", "expected"}, {{"12", 12}, {"", 0}});

#include <QTest>
#include <QVariant>

#include <initializer_list>
#include <tuple>
#include <utility>

template <typename... Columns>
void addRows(std::initializer_list<const char *> names,
             std::initializer_list<std::tuple<Columns...>> rows)
{
    Q_ASSERT(names.size() == sizeof...(Columns));
    auto name = names.begin();
    (QTest::addColumn<Columns>(*name++), ...);
    int index = 0;
    for (const std::tuple<Columns...> &row : rows) {
        const QString first = QVariant::fromValue(std::get<0>(row)).toString();
        QTestData &data = QTest::addRow("%d: %s", index++, qPrintable(first.left(40)));
        std::apply([&data](const auto &...values) { ((data << values), ...); }, row);
    }
}
