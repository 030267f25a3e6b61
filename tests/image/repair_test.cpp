#include "image/codec.h"
#include "image/defaults.h"
#include "image/primitives.h"

#include <gtest/gtest.h>

namespace qb41 {
namespace {

// A fresh model 3 data set with every plan and weather channel disabled, so
// each test enables exactly what it needs.
class Repair : public ::testing::Test {
protected:
    void SetUp() override {
        MakeFreshDataSet(data, 3);
        for (Bank bank : {Bank::CHUSA, Bank::CHINT, Bank::CHCAN, Bank::CHWX, Bank::CHEXP})
            for (ChannelRecord& r : data.records.bank(bank)) r.Enable = 0;
        for (UsableGroupRecord& g : data.records.UsableGroup) g.Usable = -1;
    }

    void enable(Bank bank, int k) {
        data.records.bank(bank)[static_cast<std::size_t>(k)].Enable = -1;
    }

    void prepare() { PrepareImageForWrite(data, 3); }

    // Encode, then poke bytes the records do not own, then repair.
    template <typename Poke> void repairWith(Poke poke) {
        EncodeImage(data, 3);
        poke(data.image);
        RepairChannelReferences(data);
        StoreChecksum(data.image);
    }

    DataSet data;
};

TEST_F(Repair, PriorityFallsBackTo16Then9ThenTheList) {
    enable(Bank::CHUSA, 32);
    enable(Bank::CHINT, 18);
    enable(Bank::CHCAN, 40);
    for (auto& g : data.records.UsableGroup) g.PriorityCh = 50; // disabled everywhere
    repairWith([](RadioImage& image) {
        SetWord(image, 128, 0xFFFF);
        SetWord(image, 130, 40); // Canada list: second word 40
    });
    EXPECT_EQ(data.records.UsableGroup[0].PriorityCh, 32);
    EXPECT_EQ(data.records.UsableGroup[1].PriorityCh, 18);
    EXPECT_EQ(data.records.UsableGroup[2].PriorityCh, 40);
    EXPECT_EQ(GetWord(data.image, 84), 32);
    EXPECT_EQ(GetWord(data.image, 86), 18);
    EXPECT_EQ(GetWord(data.image, 88), 40);
}

TEST_F(Repair, PriorityWithNoCandidateOrOutOfRangeIsOff) {
    enable(Bank::CHUSA, 100);
    data.records.UsableGroup[0].PriorityCh = 7;
    data.records.UsableGroup[1].PriorityCh = 65535; // "Off" as decoded from an image
    data.records.UsableGroup[2].PriorityCh = -3;
    prepare();
    for (int g = 0; g < 3; ++g) {
        EXPECT_EQ(data.records.UsableGroup[static_cast<std::size_t>(g)].PriorityCh, -1) << g;
        EXPECT_EQ(GetWord(data.image, 84 + 2 * g), 0xFFFF) << g;
    }
}

TEST_F(Repair, ValidPriorityAndExpReferencesStay) {
    enable(Bank::CHUSA, 100);
    enable(Bank::CHEXP, 20);
    data.records.UsableGroup[0].PriorityCh = 100;
    data.records.UsableGroup[1].PriorityCh = 260; // EXP 20, valid for any group
    prepare();
    EXPECT_EQ(data.records.UsableGroup[0].PriorityCh, 100);
    EXPECT_EQ(data.records.UsableGroup[1].PriorityCh, 260);
}

TEST_F(Repair, CurrentGroupMovesToTheNextUsableOne) {
    enable(Bank::CHINT, 16);
    enable(Bank::CHCAN, 16);
    // USA has no channel, so the usable-group repair clears it.
    repairWith([](RadioImage& image) {
        image[70] = 0;
        image[71] = 0;
        SetWord(image, 80, 16);
    });
    EXPECT_EQ(data.image[70], 1);
    EXPECT_EQ(GetWord(data.image, 80), 16);
    EXPECT_EQ(GetWord(data.image, 82), 30) << "a valid reference is kept, the copy untouched";
}

TEST_F(Repair, CurrentGroupWrapsRoundFromCanada) {
    enable(Bank::CHUSA, 20);
    repairWith([](RadioImage& image) {
        image[70] = 2;
        image[71] = 0;
        SetWord(image, 80, 7);
    });
    EXPECT_EQ(data.image[70], 0);
    EXPECT_EQ(GetWord(data.image, 80), 20) << "first enabled USA channel";
    EXPECT_EQ(GetWord(data.image, 82), 20);
}

TEST_F(Repair, CurrentExpChannelStaysOnlyWhileItIsValid) {
    enable(Bank::CHUSA, 44);
    enable(Bank::CHEXP, 20);
    auto poke = [](RadioImage& image) {
        image[70] = 0;
        image[71] = 0;
        SetWord(image, 80, 260);
        SetWord(image, 82, 260);
    };
    repairWith(poke);
    EXPECT_EQ(GetWord(data.image, 80), 260);
    data.records.CHEXP[20].Enable = 0;
    data.records.CHEXP[21].Enable = -1;
    data.records.UsableGroup[3].Usable = -1;
    repairWith(poke);
    EXPECT_EQ(GetWord(data.image, 80), 44);
    EXPECT_EQ(GetWord(data.image, 82), 44);
}

TEST_F(Repair, FallsBackToExpWhenThePlanBankIsEmpty) {
    enable(Bank::CHINT, 3); // keeps INTL usable but the current group is USA
    enable(Bank::CHEXP, 5);
    data.records.UsableGroup[0].Usable = -1;
    repairWith([](RadioImage& image) {
        image[70] = 0;
        image[71] = 0;
        image[93] |= 0x08; // USA usable in the image, but no channel
        SetWord(image, 80, 30);
    });
    EXPECT_EQ(data.image[70], 0);
    EXPECT_EQ(GetWord(data.image, 80), 245);
}

TEST_F(Repair, WeatherChannel) {
    enable(Bank::CHUSA, 32);
    enable(Bank::CHWX, 4);
    repairWith([](RadioImage& image) {
        image[71] = 1;
        image[72] = 2;
        SetWord(image, 80, 0x1234);
    });
    EXPECT_EQ(data.image[72], 4);
    EXPECT_EQ(GetWord(data.image, 80), 4);
    repairWith([](RadioImage& image) {
        image[71] = 1;
        image[72] = 11; // outside 0..9 counts as valid
    });
    EXPECT_EQ(data.image[72], 11);
    EXPECT_EQ(GetWord(data.image, 80), 11);
}

TEST_F(Repair, ReferenceListsDropInvalidWords) {
    enable(Bank::CHUSA, 32);
    enable(Bank::CHEXP, 0);
    data.records.UsableGroup[3].Usable = -1;
    repairWith([](RadioImage& image) {
        SetWord(image, 96, 32);
        SetWord(image, 98, 34);
        SetWord(image, 100, 240);
        SetWord(image, 102, 300);
        SetWord(image, 112, 32); // INTL has nothing enabled
    });
    EXPECT_EQ(GetWord(data.image, 96), 32);
    EXPECT_EQ(GetWord(data.image, 98), 0xFFFF);
    EXPECT_EQ(GetWord(data.image, 100), 240);
    EXPECT_EQ(GetWord(data.image, 102), 0xFFFF);
    EXPECT_EQ(GetWord(data.image, 112), 0xFFFF);
}

TEST_F(Repair, ChecksumCoversBytes66To94AfterTheRepair) {
    enable(Bank::CHUSA, 32);
    prepare();
    unsigned sum = 0;
    for (int i = 66; i <= 94; ++i) sum += data.image[static_cast<std::size_t>(i)];
    EXPECT_EQ(data.image[95], sum & 0xFF);
}

} // namespace
} // namespace qb41
