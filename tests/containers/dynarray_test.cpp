// The dynamic array: growth steps, capacity-bounded access, insertion,
// failure leaving the array unchanged.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "QELBase.h"

namespace {

struct Item {
  char bytes[24];
};

Item item(int v) {
  Item it{};
  std::memcpy(it.bytes, &v, sizeof v);
  it.bytes[23] = char(v);
  return it;
}

int valueAt(DA da, LONG i) {
  int v;
  std::memcpy(&v, static_cast<Item*>(DAGetElem(da, i))->bytes, sizeof v);
  return v;
}

}  // namespace

TEST(DynArray, TheBoundIsTheCapacity) {
  DA da = DACreate(sizeof(Item), 10);
  ASSERT_NE(da, nullptr);
  EXPECT_EQ(da->nElemSize, LONG(sizeof(Item)));
  for (int i = 0; i < 11; ++i) {
    Item it = item(i);
    Item* stored = static_cast<Item*>(DAAddElem(da, &it));
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(std::memcmp(stored, &it, sizeof it), 0);
  }
  EXPECT_NE(DAGetElem(da, 11), nullptr);
  EXPECT_NE(DAGetElem(da, 19), nullptr);
  EXPECT_EQ(DAGetElem(da, 20), nullptr);
  EXPECT_EQ(DAGetElem(da, -1), nullptr);
  DADestroy(da);
}

TEST(DynArray, SetElemGrowsToTheStepAboveTheIndex) {
  struct Row {
    LONG index;
    LONG alloc;
    LONG count;
  };
  const Row rows[] = {{0, 10, 1}, {9, 10, 10}, {10, 20, 11}, {35, 40, 36}, {40, 50, 41}};
  for (const Row& r : rows) {
    DA da = DACreate(sizeof(Item), 10);
    Item it = item(r.index);
    ASSERT_NE(DASetElem(da, r.index, &it), nullptr) << r.index;
    EXPECT_EQ(da->nAlloc, r.alloc) << r.index;
    EXPECT_EQ(DAGetSize(da), r.count) << r.index;
    EXPECT_EQ(valueAt(da, r.index), r.index);
    DADestroy(da);
  }
  DA da = DACreate(sizeof(Item), 10);
  Item it = item(5);
  EXPECT_EQ(DASetElem(da, -1, &it), nullptr);
  EXPECT_EQ(DASetElem(da, 0x7FFFFFFF, &it), nullptr);  // capacity would pass the signed range
  EXPECT_EQ(da->nAlloc, 10);
  ASSERT_NE(DASetElem(da, 5, &it), nullptr);
  Item zero{};
  for (LONG i = 0; i < 5; ++i)  // skipped slots of the first allocation read as zero
    EXPECT_EQ(std::memcmp(DAGetElem(da, i), &zero, sizeof zero), 0);
  DADestroy(da);
}

TEST(DynArray, DeleteLastAndBadArguments) {
  DA da = DACreate(sizeof(int), 2);
  DADeleteLast(da);
  EXPECT_EQ(DAGetSize(da), 0);
  int v = 7;
  DAAddElem(da, &v);
  DADeleteLast(da);
  EXPECT_EQ(DAGetSize(da), 0);
  EXPECT_EQ(*static_cast<int*>(DAGetElem(da, 0)), 7);  // the bytes stay
  EXPECT_EQ(DAAddElem(da, nullptr), nullptr);
  DADestroy(da);

  EXPECT_EQ(DACreate(4, 0), nullptr);
  EXPECT_EQ(DACreate(0, 4), nullptr);
  EXPECT_EQ(DACreate(-4, 4), nullptr);
  EXPECT_EQ(DAAddElem(nullptr, &v), nullptr);
  EXPECT_EQ(DASetElem(nullptr, 0, &v), nullptr);
  EXPECT_EQ(DAInsertElem(nullptr, 0, &v), nullptr);
  EXPECT_EQ(DAGetElem(nullptr, 0), nullptr);
  EXPECT_EQ(DAGetSize(nullptr), 0);
  DADeleteLast(nullptr);
  DADestroy(nullptr);
}

TEST(DynArray, MatchesAVectorModel) {
  std::mt19937 rng(12345);
  DA da = DACreate(sizeof(int), 3);
  EXPECT_EQ(da->nGrowBy, 3);
  std::vector<int> model;
  LONG alloc = 3;  // growing by one step of the creation size at a time
  for (int step = 0; step < 5000; ++step) {
    int v = int(rng());
    switch (rng() % 4) {
      case 0:
        if (LONG(model.size()) >= alloc) alloc += 3;
        DAAddElem(da, &v);
        model.push_back(v);
        break;
      case 1: {
        // Inserting grows while one free slot still remains; at the count
        // it is an append.
        LONG at = LONG(rng() % (model.size() + 1));
        if (LONG(model.size()) + (at < LONG(model.size())) >= alloc) alloc += 3;
        DAInsertElem(da, at, &v);
        model.insert(model.begin() + at, v);
        break;
      }
      case 2:
        if (!model.empty()) {
          LONG at = LONG(rng() % model.size());
          DASetElem(da, at, &v);
          model[size_t(at)] = v;
        }
        break;
      case 3:
        DADeleteLast(da);
        if (!model.empty()) model.pop_back();
        break;
    }
    ASSERT_EQ(DAGetSize(da), LONG(model.size()));
    ASSERT_EQ(da->nAlloc, alloc);
  }
  for (size_t i = 0; i < model.size(); ++i) ASSERT_EQ(*static_cast<int*>(DAGetElem(da, LONG(i))), model[i]);
  DADestroy(da);
}

TEST(DynArray, ElementFromTheArrayItselfSurvivesGrowth) {
  DA da = DACreate(sizeof(Item), 2);
  Item a = item(11), b = item(22);
  DAAddElem(da, &a);
  DAAddElem(da, &b);
  // Full: each call grows (and may move) the buffer while reading a slot.
  ASSERT_NE(DAAddElem(da, DAGetElem(da, 0)), nullptr);        // 11 22 11
  ASSERT_NE(DAInsertElem(da, 0, DAGetElem(da, 1)), nullptr);  // 22 11 22 11: the source moved up
  ASSERT_NE(DASetElem(da, 9, DAGetElem(da, 1)), nullptr);
  const int expected[] = {22, 11, 22, 11};
  for (LONG i = 0; i < 4; ++i) EXPECT_EQ(valueAt(da, i), expected[i]) << i;
  EXPECT_EQ(valueAt(da, 9), 11);
  DADestroy(da);
}
