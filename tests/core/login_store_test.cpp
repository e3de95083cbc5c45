#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "base/codepage.h"
#include "core/vault/login_store.h"
#include "memory_file_system.h"
#include "store_test_support.h"

namespace {
class TableTest : public ::testing::Test {
protected:
    void SetUp() override { store = std::make_unique<LoginStore>(); }
    void TearDown() override { SetLeadBytes(nullptr); }

    void AddNumbered(int count) {
        for (int i = 0; i < count; ++i) ASSERT_TRUE(store->AddItem(MakeItem("service " + std::to_string(i))));
    }

    std::string Name(int index) {
        LoginItem item;
        EXPECT_TRUE(store->GetItem(index, item));
        return item.serviceName;
    }

    std::unique_ptr<LoginStore> store;
};

class ShiftJisLeadBytes : public LeadBytes {
public:
    bool IsLead(unsigned char byte) const override {
        return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    }
};
}  // namespace

TEST_F(TableTest, HoldsExactlyOneHundredItems) {
    AddNumbered(99);
    EXPECT_TRUE(store->AddItem(MakeItem("hundredth")));
    EXPECT_FALSE(store->AddItem(MakeItem("one too many")));
    EXPECT_EQ(store->GetCount(), 100u);
    EXPECT_EQ(Name(99), "hundredth");
}

TEST_F(TableTest, DeleteClosesTheGapAndRefusesIndicesOutsideTheTable) {
    EXPECT_FALSE(store->DeleteItem(0));  // empty table: count - 1 must not wrap
    EXPECT_EQ(store->GetCount(), 0u);
    AddNumbered(4);
    EXPECT_FALSE(store->DeleteItem(4));
    EXPECT_FALSE(store->DeleteItem(-1));
    EXPECT_TRUE(store->DeleteItem(1));
    EXPECT_EQ(store->GetCount(), 3u);
    EXPECT_EQ(Name(0), "service 0");
    EXPECT_EQ(Name(1), "service 2");
    EXPECT_EQ(Name(2), "service 3");
    EXPECT_TRUE(store->DeleteItem(2));
    LoginItem freed;
    ASSERT_TRUE(store->GetItem(2, freed));  // the capacity bounds GetItem, not the count
    EXPECT_TRUE(AllZero(&freed, sizeof freed));
    EXPECT_TRUE(AllZero(store->RawSlot(2), sizeof(LoginItem)));
}

TEST_F(TableTest, PagesFollowTheirUnsignedArithmetic) {
    store->GoToLastPage();
    EXPECT_EQ(store->GetFirstVisible(), 0u);
    AddNumbered(10);
    store->GoToLastPage();
    EXPECT_EQ(store->GetFirstVisible(), 0u);
    AddNumbered(1);
    store->GoToLastPage();
    EXPECT_EQ(store->GetFirstVisible(), 10u);

    AddNumbered(14);  // 25 items
    store->GoToLastPage();
    EXPECT_EQ(store->GetFirstVisible(), 20u);
    LoginItem page[kPageSize];
    std::uint32_t count = 0;
    store->GetPage(page, count);
    ASSERT_EQ(count, 5u);
    EXPECT_STREQ(page[0].serviceName, "service 9");  // item 20 of the 11 + 14 added
    EXPECT_STREQ(page[4].serviceName, "service 13");

    while (store->GetCount() > 20) store->DeleteItem(0);
    store->GoToLastPage();
    EXPECT_EQ(store->GetFirstVisible(), 10u);
    store->PageDown();  // 20 - 10 is not above 10
    EXPECT_EQ(store->GetFirstVisible(), 10u);
    store->AddItem(MakeItem("twenty-first"));
    store->PageDown();
    EXPECT_EQ(store->GetFirstVisible(), 20u);
    store->PageUp();
    store->PageUp();
    store->PageUp();
    EXPECT_EQ(store->GetFirstVisible(), 0u);
}

TEST_F(TableTest, DeletingTheLastPagesOnlyItemLeavesAnEmptyPage) {
    AddNumbered(21);
    store->GoToLastPage();
    ASSERT_TRUE(store->DeleteItem(20));
    EXPECT_EQ(store->GetFirstVisible(), 20u);
    LoginItem page[kPageSize];
    std::uint32_t count = 7;
    store->GetPage(page, count);
    EXPECT_EQ(count, 0u);

    // One more delete puts the page start past the count: GetPage then leaves
    // the caller's count alone.
    ASSERT_TRUE(store->DeleteItem(19));
    count = 7;
    store->GetPage(page, count);
    EXPECT_EQ(count, 7u);

    store->PageUp();
    store->GetPage(page, count);
    EXPECT_EQ(count, 9u);
    EXPECT_STREQ(page[0].serviceName, "service 10");
}

TEST_F(TableTest, ReplaceItemAcceptsItsOwnSlot) {
    AddNumbered(3);
    ASSERT_TRUE(store->ReplaceItem(1, *store->RawSlot(1)));
    EXPECT_EQ(Name(1), "service 1");
    LoginItem after;
    store->GetItem(1, after);
    EXPECT_STREQ(after.password, "secret");

    EXPECT_TRUE(store->ReplaceItem(2, MakeItem("renamed")));
    EXPECT_EQ(Name(2), "renamed");
    EXPECT_FALSE(store->ReplaceItem(-1, after));
    EXPECT_FALSE(store->ReplaceItem(100, after));
    EXPECT_EQ(store->GetCount(), 3u);
}

TEST_F(TableTest, FindMovesToThePageOfTheFirstCaseSensitiveMatch) {
    AddNumbered(25);
    store->ReplaceItem(3, MakeItem("My Bank"));
    store->ReplaceItem(17, MakeItem("Other Bank"));
    store->GoToLastPage();
    ASSERT_EQ(store->GetFirstVisible(), 20u);
    store->FindByServiceName("Bank");
    EXPECT_EQ(store->GetFirstVisible(), 0u);

    store->GoToLastPage();
    store->FindByServiceName("bank");
    EXPECT_EQ(store->GetFirstVisible(), 20u);
    store->FindByServiceName("Other");
    EXPECT_EQ(store->GetFirstVisible(), 10u);

    // Slots past the count are not searched, even when they hold a name.
    store->ReplaceItem(40, MakeItem("Hidden"));
    store->FindByServiceName("Hidden");
    EXPECT_EQ(store->GetFirstVisible(), 10u);
}

TEST_F(TableTest, FindNeverMatchesAcrossADoubleByteCharacter) {
    AddNumbered(12);
    // Two Shift-JIS characters, 0x82 0xA0 and 0x82 0xA2, then an A that
    // follows a lead byte and one that stands alone.
    store->ReplaceItem(11, MakeItem("\x82\xA0\x82\xA2\x82"
                                    "AA"));
    const ShiftJisLeadBytes shiftJis;
    SetLeadBytes(&shiftJis);

    store->FindByServiceName("\xA0\x82");  // would start on a trail byte
    EXPECT_EQ(store->GetFirstVisible(), 0u);
    store->FindByServiceName("\x82");  // would end between lead and trail byte
    EXPECT_EQ(store->GetFirstVisible(), 0u);
    store->FindByServiceName("A");  // the second A is a character of its own
    EXPECT_EQ(store->GetFirstVisible(), 10u);

    store->PageUp();
    ASSERT_EQ(store->GetFirstVisible(), 0u);
    store->FindByServiceName("\x82\xA2");
    EXPECT_EQ(store->GetFirstVisible(), 10u);

    // In a single-byte code page the same bytes are ordinary characters.
    SetLeadBytes(nullptr);
    store->PageUp();
    ASSERT_EQ(store->GetFirstVisible(), 0u);
    store->FindByServiceName("\xA0\x82");
    EXPECT_EQ(store->GetFirstVisible(), 10u);
}

TEST_F(TableTest, FindStaysInsideAnUnterminatedName) {
    // A loaded record is taken as stored: its name may fill the field. Ten
    // more items put the last page at 10; deleting them leaves it there.
    std::vector<LoginItem> items(11, MakeItem("other"));
    std::memset(items[0].serviceName, 'x', 64);
    std::memset(items[0].userName, 'y', 32);
    const std::vector<std::uint8_t> image = VaultImage("pw", items, 11);
    MemoryFileSystem files;
    files.Put("vault.dat", image.data(), image.size());
    store->SetFileSystem(&files);
    ASSERT_EQ(store->Open("pw", "vault.dat"), VaultOk);
    store->GoToLastPage();
    while (store->GetCount() > 1) store->DeleteItem(1);
    ASSERT_EQ(std::memcmp(store->RawSlot(0)->serviceName, std::string(64, 'x').data(), 64), 0);
    ASSERT_EQ(store->GetFirstVisible(), 10u);
    store->SetFileSystem(nullptr);
    store->FindByServiceName("xy");
    EXPECT_EQ(store->GetFirstVisible(), 10u);
    store->FindByServiceName(std::string(64, 'x').c_str());
    EXPECT_EQ(store->GetFirstVisible(), 0u);
}
