#include "service/RouteTable.h"

#include <CivetServer.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "web/InlineAllocator.h"

namespace lensws {
namespace {

TEST(RouteTableTest, KeepsRoutesInOrderWithTheirOwnCopiesOfTheTexts) {
    vtl_base_type::InlineAllocator<256, 0x10000> allocator;
    RouteTable table(allocator);
    std::vector<CivetHandler> handlers(30);
    std::vector<std::string> routes;
    for (int i = 0; i < 30; ++i) {
        routes.push_back("/1.0/route" + std::to_string(i));
    }
    for (int i = 0; i < 30; ++i) {
        table.append(routes[i].c_str(), &handlers[i]);
    }
    for (std::string& route : routes) {
        route.assign(route.size(), 'x');
    }
    ASSERT_EQ(table.size(), 30u);
    int index = 0;
    for (const RouteEntry& entry : table) {
        EXPECT_EQ(std::string(entry.route), "/1.0/route" + std::to_string(index));
        EXPECT_EQ(entry.handler, &handlers[index]);
        ++index;
    }
    EXPECT_EQ(index, 30);
    // More than the first 256 bytes were needed: a second chunk of 64 KiB came from the heap.
    EXPECT_GT(allocator.capacity(), 0x10000u);
}

TEST(RouteTableTest, EmptyTableHasNoEntries) {
    vtl_base_type::InlineAllocator<256, 0x10000> allocator;
    RouteTable table(allocator);
    EXPECT_EQ(table.size(), 0u);
    EXPECT_EQ(table.begin(), table.end());
}

}  // namespace
}  // namespace lensws
