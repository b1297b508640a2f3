// The string heap on its own: block tags, merging of free neighbours,
// growth, and damaged tags that are reported instead of followed.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "scriptlib/string_heap.h"

namespace qsl {
namespace {

class Heap : public ::testing::Test {
protected:
    void SetUp() override {
        instance_ = std::make_unique<Instance>();
        std::memset(instance_.get(), 0, sizeof(Instance));
        c.in = instance_.get();
        c.in->heap_handle = QslGlobalAlloc(QSL_GMEM_MOVEABLE | QSL_GMEM_ZEROINIT, 1024);
        c.heap = static_cast<char*>(QslGlobalLock(c.in->heap_handle));
        c.heap_size = 1024;
        ASSERT_TRUE(heap_format(c.heap, 1024));
        QslInterfaces quiet{};
        quiet.message_box = [](void*, const char* title, const char* text, int) {
            boxes.push_back(std::string(title) + "/" + text);
            return QSL_ID_OK;
        };
        QslSetInterfaces(&quiet);
        boxes.clear();
    }
    void TearDown() override {
        QslGlobalUnlock(c.in->heap_handle);
        QslGlobalFree(c.in->heap_handle);
        QslSetInterfaces(nullptr);
    }
    Context c;
    std::unique_ptr<Instance> instance_;
    static inline std::vector<std::string> boxes;
};

TEST_F(Heap, FreedNeighboursMergeIntoOneBlock) {
    std::vector<uint32_t> offsets;
    for (int i = 0; i < 20; ++i) offsets.push_back(heap_alloc(c, 10));
    for (uint32_t at : offsets) ASSERT_NE(at, 0u);
    EXPECT_TRUE(heap_check(c.heap, c.heap_size));
    // Free every other block, then the rest: the free list ends as one block.
    for (size_t i = 0; i < offsets.size(); i += 2) heap_free(c, offsets[i]);
    EXPECT_TRUE(heap_check(c.heap, c.heap_size));
    for (size_t i = 1; i < offsets.size(); i += 2) heap_free(c, offsets[i]);
    EXPECT_TRUE(heap_check(c.heap, c.heap_size));
    uint32_t whole = heap_alloc(c, 1024 - 40 - 12 - 12);  // everything but header, tail and overhead
    EXPECT_NE(whole, 0u);
    EXPECT_EQ(c.heap_size, 1024u);  // it fitted without growing
}

TEST_F(Heap, GrowsWhenFullAndKeepsOffsets) {
    uint32_t first = heap_store(c, "kept");
    uint32_t big = heap_alloc(c, 5000);
    ASSERT_NE(big, 0u);
    EXPECT_GE(c.heap_size, 1024u + 5000u + heap_growth);
    EXPECT_STREQ(c.heap + first, "kept");
    EXPECT_TRUE(heap_check(c.heap, c.heap_size));
    heap_free(c, big);
    EXPECT_TRUE(heap_check(c.heap, c.heap_size));
}

TEST_F(Heap, DamagedTagsAreReportedAndTheFreeAbandoned) {
    uint32_t a = heap_store(c, "abc");
    uint32_t b = heap_store(c, "def");
    std::memset(c.heap + a - 8, 0x55, 4);  // the block's own tag
    heap_free(c, a);
    uint32_t inside = b + 4;               // not the start of a block
    heap_free(c, inside);
    heap_free(c, 3);                       // inside the header
    heap_free(c, 0x7FFFFFF0u);             // past the end
    ASSERT_EQ(boxes.size(), 4u);
    EXPECT_EQ(boxes[0], "INTERNAL DYNALLOC ERROR/Tag Overwrite 1");
    EXPECT_STREQ(c.heap + b, "def");
}

TEST_F(Heap, DamagedSuccessorIsReported) {
    uint32_t a = heap_store(c, "abc");
    uint32_t b = heap_store(c, "def");
    uint32_t lower = a < b ? a : b, upper = a < b ? b : a;
    std::memset(c.heap + upper - 8, 0x55, 4);  // the tag of the block after lower
    heap_free(c, lower);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "INTERNAL DYNALLOC ERROR/Tag Overwrite 2");
}

}  // namespace
}  // namespace qsl
