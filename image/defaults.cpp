#include "defaults.h"

#include "codec.h"
#include "layout.h"
#include "primitives.h"

#include "core/master_table.h"

#include <sstream>

namespace qb41 {
namespace {

constexpr bool R = true;

// Rows of the default plans: master row, name, receive only, duplex, low power.
const std::vector<PlanDefault> kUsaPlan{
    {3, "VTS", 0, 0, 0},          {7, "", 0, 0, 0},
    {11, "VTS", 0, 0, 0},         {12, "SAFTY", 0, 0, 0},
    {15, "COMMERCIAL", 0, 0, 0},  {16, "COMMERCIAL", 0, 0, 0},
    {18, "CALLING", 0, 0, 0},     {20, "COMMERCIAL", 0, 0, 0},
    {22, "VTS", 0, 0, 0},         {24, "VTS", 0, 0, 0},
    {26, "BRG/BRG", 0, 0, 1},     {28, "VTS", 0, 0, 0},
    {30, "COMMERCIAL", R, 0, 0},  {32, "DISTRESS", 0, 0, 0},
    {34, "SAR", 0, 0, 1},         {37, "COMMERCIAL", 0, 0, 0},
    {39, "COMMERCIAL", 0, 0, 0},  {40, "PORT OPR", 0, 1, 0},
    {41, "PORT OPR", 0, 0, 0},    {43, "CCG", 0, 0, 0},
    {45, "USCG", 0, 0, 0},        {47, "USCG", 0, 0, 0},
    {48, "TELEPHONE", 0, 1, 0},   {50, "TELEPHONE", 0, 1, 0},
    {52, "TELEPHONE", 0, 1, 0},   {54, "TELEPHONE", 0, 1, 0},
    {56, "TELEPHONE", 0, 1, 0},   {123, "CCG", 0, 0, 0},
    {127, "VTS", 0, 0, 0},        {129, "COMMERCIAL", 0, 0, 0},
    {131, "PORT OPR", 0, 0, 0},   {133, "PORT OPR", 0, 0, 0},
    {134, "BRG/BRG", 0, 0, 1},    {136, "SHIP-SHIP", 0, 0, 0},
    {138, "PLEASURE", 0, 0, 0},   {140, "DSC", R, 0, 0},
    {142, "PLEASURE", 0, 0, 0},   {144, "SHIP-SHIP", 0, 0, 0},
    {146, "PORT OPR", 0, 0, 0},   {148, "PORT OPR", 0, 0, 0},
    {150, "PORT OPR", 0, 0, 1},   {152, "PORT OPR", 0, 0, 1},
    {154, "PORT OPR", 0, 0, 1},   {157, "SHIP-SHIP", 0, 0, 0},
    {159, "SHIP-SHIP", 0, 0, 0},  {161, "SHIP-SHIP", 0, 0, 0},
    {163, "CCG", 0, 0, 0},        {165, "CCG", 0, 0, 0},
    {167, "USCG", 0, 0, 0},       {168, "TELEPHONE", 0, 1, 0},
    {170, "TELEPHONE", 0, 1, 0},  {172, "TELEPHONE", 0, 1, 0},
    {174, "TELEPHONE", 0, 1, 0},  {176, "TELEPHONE", 0, 1, 0},
    {177, "COMMERCIAL", 0, 0, 0},
};

const std::vector<PlanDefault> kIntlPlan{
    {2, "TELEPHONE", 0, 1, 0},   {4, "TELEPHONE", 0, 1, 0},   {6, "TELEPHONE", 0, 1, 0},
    {8, "INTL", 0, 1, 0},        {10, "INTL", 0, 1, 0},       {12, "SAFTY", 0, 0, 0},
    {14, "INTL", 0, 1, 0},       {16, "COMMERCIAL", 0, 0, 0}, {18, "CALLING", 0, 0, 0},
    {20, "COMMERCIAL", 0, 0, 0}, {22, "VTS", 0, 0, 0},        {24, "VTS", 0, 0, 0},
    {26, "BRG/BRG", 0, 0, 0},    {28, "VTS", 0, 0, 0},        {30, "COMMERCIAL", 0, 0, 1},
    {32, "DISTRESS", 0, 0, 0},   {34, "SAR", 0, 0, 1},        {36, "INTL", 0, 1, 0},
    {38, "INTL", 0, 1, 0},       {40, "PORT OPR", 0, 1, 0},   {42, "INTL", 0, 1, 0},
    {44, "INTL", 0, 1, 0},       {46, "INTL", 0, 1, 0},       {48, "TELEPHONE", 0, 1, 0},
    {50, "TELEPHONE", 0, 1, 0},  {52, "TELEPHONE", 0, 1, 0},  {54, "TELEPHONE", 0, 1, 0},
    {56, "TELEPHONE", 0, 1, 0},  {120, "TELEPHONE", 0, 1, 0}, {122, "INTL", 0, 1, 0},
    {124, "INTL", 0, 1, 0},      {126, "INTL", 0, 1, 0},      {128, "TELEPHONE", 0, 1, 0},
    {130, "INTL", 0, 1, 0},      {132, "INTL", 0, 1, 0},      {134, "BRG/BRG", 0, 0, 0},
    {136, "SHIP-SHIP", 0, 0, 0}, {138, "PLEASURE", 0, 0, 0},  {140, "DSC", R, 0, 0},
    {142, "PLEASURE", 0, 0, 0},  {144, "SHIP-SHIP", 0, 0, 0}, {146, "PORT OPR", 0, 0, 0},
    {148, "PORT OPR", 0, 0, 0},  {154, "PORT OPR", 0, 0, 0},  {156, "INTL", 0, 1, 0},
    {158, "INTL", 0, 1, 0},      {160, "INTL", 0, 1, 0},      {162, "INTL", 0, 1, 0},
    {164, "INTL", 0, 1, 0},      {166, "INTL", 0, 1, 0},      {168, "TELEPHONE", 0, 1, 0},
    {170, "TELEPHONE", 0, 1, 0}, {172, "TELEPHONE", 0, 1, 0}, {174, "TELEPHONE", 0, 1, 0},
    {176, "TELEPHONE", 0, 1, 0},
};

const std::vector<PlanDefault> kCanadaPlan{
    {2, "TELEPHONE", 0, 1, 0},   {4, "TELEPHONE", 0, 1, 0},   {6, "TELEPHONE", 0, 1, 0},
    {9, "CCG", 0, 0, 0},         {11, "VTS", 0, 0, 0},        {12, "SAFETY", 0, 0, 0},
    {15, "COMMERCIAL", 0, 0, 0}, {16, "COMMERCIAL", 0, 0, 0}, {18, "CALLING", 0, 0, 0},
    {20, "COMMERCIAL", 0, 0, 0}, {22, "VTS", 0, 0, 0},        {24, "VTS", 0, 0, 0},
    {26, "BRG/BRG", 0, 0, 1},    {28, "VTS", 0, 0, 0},        {30, "COMMERCIAL", 0, 0, 1},
    {32, "DISTRESS", 0, 0, 0},   {34, "SAR", 0, 0, 1},        {37, "COMMERCIAL", 0, 0, 0},
    {39, "COMMERCIAL", 0, 0, 0}, {40, "PORT OPR", 0, 1, 1},   {43, "CCG", 0, 0, 0},
    {45, "USCG", 0, 0, 0},       {46, "INTL", 0, 1, 0},       {48, "TELEPHONE", 0, 1, 0},
    {50, "TELEPHONE", 0, 1, 0},  {52, "TELEPHONE", 0, 1, 0},  {54, "TELEPHONE", 0, 1, 0},
    {56, "TELEPHONE", 0, 1, 0},  {120, "TELEPHONE", 0, 1, 0}, {123, "CCG", 0, 0, 0},
    {125, "CCG", 0, 0, 0},       {128, "USCG", 0, 1, 0},      {129, "INTL", 0, 0, 0},
    {131, "TELEPHONE", 0, 0, 0}, {133, "TELEPHONE", 0, 0, 1}, {134, "TELEPHONE", 0, 0, 0},
    {136, "TELEPHONE", 0, 0, 0}, {138, "TELEPHONE", 0, 0, 0}, {140, "TELEPHONE", R, 0, 0},
    {142, "CCG", 0, 0, 0},       {144, "SHIP-SHIP", 0, 0, 0}, {146, "PORT OPR", 0, 0, 0},
    {148, "PORT OPR", 0, 0, 0},  {154, "PORT OPR", 0, 0, 1},  {157, "SHIP-SHIP", 0, 0, 0},
    {159, "SHIP-SHIP", 0, 0, 0}, {161, "SHIP-SHIP", 0, 0, 0}, {163, "CCG", 0, 0, 0},
    {165, "CCG", 0, 0, 0},       {166, "CCG", 0, 1, 0},       {167, "CCG", 0, 0, 0},
    {168, "TELEPHONE", 0, 1, 0}, {170, "TELEPHONE", 0, 1, 0}, {172, "TELEPHONE", 0, 1, 0},
    {174, "TELEPHONE", 0, 1, 0}, {176, "TELEPHONE", 0, 1, 0},
};

struct FixedBytes {
    int address;
    int count;
    std::uint8_t value;
};

constexpr FixedBytes kFixedBytes[] = {
    {66, 8, 0x00},  {74, 1, 0xFF},     {75, 1, 0x00},
    {76, 1, 0x30},  {80, 1, 0x00},     {81, 1, 0x1E},
    {82, 1, 0x00},  {83, 1, 0x1E},     {84, 1, 0x00},
    {85, 1, 0x20},  {86, 1, 0x00},     {87, 1, 0x20},
    {88, 1, 0x00},  {89, 1, 0x20},     {90, 1, 0xF2},
    {91, 1, 0xCE},  {92, 1, 0x00},     {93, 1, 0xBF},
    {94, 1, 0x00},  {161, 1, 0x60},    {162, 1, 0x10},
    {163, 1, 0x10}, {164, 1, 0xAC},    {165, 1, 0xFE},
    {166, 1, 0xFF}, {170, 6, 0x07},    {176, 2, 0xBC},
    {178, 6, 0x07}, {184, 6, 0x00},    {450, 5, 0x00},
    {466, 5, 0x00}, {496, 5, 0xFF},    {layout::kClearCounter, 1, 0x00},
    {505, 7, 0xFF}, {2304, 640, 0x00},
};

struct LevelTable {
    int address;
    const char* bytes;
};

constexpr LevelTable kLevelTables[] = {
    {560, "00,00,10,20,30,40,50,60,70,80,90,A0,B0,C0,D0,FF"},
    {576, "00,93,AE,C0,C8,D2,DB,E1,E4,EA,ED,F0,F6,F9,FC,FF"},
    {592, "00,93,AE,C0,C8,D2,DB,E1,E4,EA,ED,F0,F6,F9,FC,FF"},
    {608, "00,93,AE,C0,C8,D2,DB,E1,E4,EA,ED,F0,F6,F9,FC,FF"},
    {624, "00,08,1C,30,43,57,6B,7B,8C,9C,AA,BC,CB,D8,E0,FF"},
    {752, "44,50,5C,65,6E,77,80,89,92,9B,A4,AA,B3,B6,BB,C1"},
};

// A list is written only when it holds exactly 16 hexadecimal values.
std::vector<std::uint8_t> ParseLevelTable(const char* text) {
    std::vector<std::uint8_t> values;
    std::istringstream list(text);
    for (std::string item; std::getline(list, item, ',');)
        values.push_back(static_cast<std::uint8_t>(std::stoul(item, nullptr, 16)));
    return values;
}

void WriteLevelTables(RadioImage& image) {
    static const std::vector<std::vector<std::uint8_t>> parsed = [] {
        std::vector<std::vector<std::uint8_t>> lists;
        for (const LevelTable& table : kLevelTables) lists.push_back(ParseLevelTable(table.bytes));
        return lists;
    }();
    for (std::size_t t = 0; t < parsed.size(); ++t) {
        if (parsed[t].size() != 16) continue;
        for (int i = 0; i < 16; ++i)
            ImageByte(image, kLevelTables[t].address + i) = parsed[t][static_cast<std::size_t>(i)];
    }
}

void WriteAscii(RadioImage& image, int address, std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i)
        ImageByte(image, address + static_cast<int>(i)) = static_cast<std::uint8_t>(text[i]);
}

} // namespace

std::vector<PlanDefault> DefaultPlan(Bank bank) {
    switch (bank) {
    case Bank::CHUSA:
        return kUsaPlan;
    case Bank::CHINT:
        return kIntlPlan;
    case Bank::CHCAN:
        return kCanadaPlan;
    case Bank::CHWX:
    case Bank::CHEXP:
        break;
    }
    return {};
}

void LoadDefaultPlans(Records& records) {
    const MasterChannelTable& master = MasterTable();
    for (Bank bank : {Bank::CHUSA, Bank::CHINT, Bank::CHCAN}) {
        std::vector<ChannelRecord>& channels = records.bank(bank);
        channels.assign(master.size(), ChannelRecord{});
        for (std::size_t i = 0; i < channels.size(); ++i) {
            channels[i].Position = static_cast<std::int16_t>(i);
            channels[i].DuplexAllowed = ToVbBool(master[i].duplexAllowed);
            channels[i].TxEnable = kTrue;
        }
        for (const PlanDefault& row : DefaultPlan(bank)) {
            ChannelRecord& record = channels[static_cast<std::size_t>(row.row)];
            record.RxOnly = ToVbBool(row.rxOnly);
            if (row.rxOnly) record.DuplexAllowed = kFalse;
            record.TxEnable = ToVbBool(!row.rxOnly);
            record.ChTag = row.name;
            record.Enable = kTrue;
            record.Duplex = ToVbBool(row.duplex);
            record.LowPower = ToVbBool(row.lowPower);
        }
    }
}

void RebuildWeatherBank(Records& records) {
    records.CHWX.assign(WeatherList().size(), ChannelRecord{});
    for (std::size_t i = 0; i < records.CHWX.size(); ++i)
        records.CHWX[i].Position = static_cast<std::int16_t>(i + 1);
}

void ClearDirectories(Records& records) {
    for (auto* directory : {&records.CHMMSID, &records.CHGRPID})
        for (DirectoryRecord& entry : *directory) entry = DirectoryRecord{};
}

void WriteFreshImage(DataSet& data, ModelNumber model) {
    RadioImage& image = data.image;
    image.fill(0xFF);
    data.imageLastIndex = ImageLastIndex(model);
    for (const FixedBytes& fixed : kFixedBytes)
        for (int i = 0; i < fixed.count; ++i) ImageByte(image, fixed.address + i) = fixed.value;
    WriteAscii(image, 512, "Radio");
    WriteAscii(image, 528, "Ram1");
    WriteAscii(image, 544, "Ram2");
    WriteLevelTables(image);
    SetWord(image, layout::kModelIdFront, ModelCode(model));
    SetWord(image, layout::ModelIdBack(data.imageLastIndex), ModelCode(model));
    if (const ModelInfo* info = FindModel(model); info && info->writesMarker)
        ImageByte(image, layout::kMarker) = 15;
}

void MakeFreshDataSet(DataSet& data, ModelNumber model) {
    LoadDefaultPlans(data.records);
    RebuildWeatherBank(data.records);
    data.records.CHEXP.assign(kExpChannels, ChannelRecord{});
    ClearDirectories(data.records);
    WriteFreshImage(data, model);
    DecodeSettings(data, model);
    DecodeBank(data, model, Bank::CHEXP);
    EncodeImage(data, model);
}

const std::array<WeatherChannel, 10>& WeatherList() {
    static const std::array<WeatherChannel, 10> list{{
        {"WX01[162.550MHz]", "162.550MHZ", 162.550},
        {"WX02[162.400MHz]", "162.400MHZ", 162.400},
        {"WX03[162.475MHz]", "162.475MHZ", 162.475},
        {"WX04[162.425MHz]", "162.425MHZ", 162.425},
        {"WX05[162.450MHz]", "162.450MHZ", 162.450},
        {"WX06[162.500MHz]", "162.500MHZ", 162.500},
        {"WX07[162.525MHz]", "162.525MHZ", 162.525},
        {"WX08[161.650MHz]", "161.650MHZ", 161.650},
        {"WX09[161.775MHz]", "161.775MHZ", 161.775},
        {"WX10[163.275MHz]", "163.275MHZ", 163.275},
    }};
    return list;
}

const std::array<std::string_view, 51>& CtcssList() {
    static const std::array<std::string_view, 51> list{
        "Off",     "67.0Hz",  "69.3Hz",  "71.9Hz",  "74.4Hz",  "77.0Hz",  "79.7Hz",  "82.5Hz",
        "85.4Hz",  "88.5Hz",  "91.5Hz",  "94.8Hz",  "97.4Hz",  "100.0Hz", "103.5Hz", "107.2Hz",
        "110.9Hz", "114.8Hz", "118.8Hz", "123.0Hz", "127.3Hz", "131.8Hz", "136.5Hz", "141.3Hz",
        "146.2Hz", "151.4Hz", "156.7Hz", "159.8Hz", "162.2Hz", "165.5Hz", "167.9Hz", "171.3Hz",
        "173.8Hz", "177.3Hz", "179.9Hz", "183.5Hz", "186.2Hz", "189.9Hz", "192.8Hz", "196.6Hz",
        "199.5Hz", "203.5Hz", "206.5Hz", "210.7Hz", "218.1Hz", "225.7Hz", "229.1Hz", "233.6Hz",
        "241.8Hz", "250.3Hz", "254.1Hz"};
    return list;
}

const std::array<std::string_view, 105>& DcsList() {
    static const std::array<std::string_view, 105> list{
        "Off", "023", "025", "026", "031", "032", "036", "043", "047", "051", "053", "054",
        "065", "071", "072", "073", "074", "114", "115", "116", "122", "125", "131", "132",
        "134", "143", "145", "152", "155", "156", "162", "165", "172", "174", "205", "212",
        "223", "225", "226", "243", "244", "245", "246", "251", "252", "255", "261", "263",
        "265", "266", "271", "274", "306", "311", "315", "325", "331", "332", "343", "346",
        "351", "356", "364", "365", "371", "411", "412", "413", "423", "431", "432", "445",
        "446", "452", "454", "455", "462", "464", "465", "466", "503", "506", "516", "523",
        "526", "532", "546", "565", "606", "612", "624", "627", "631", "632", "654", "662",
        "664", "703", "712", "723", "731", "732", "734", "743", "754"};
    return list;
}

} // namespace qb41
