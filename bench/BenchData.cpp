#include "BenchData.h"

#include <sqlite3.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace BenchData {

namespace {

// splitmix64: a fast, well-mixed sequence from a seed, enough for made-up data.
class Random
{
public:
    // The seed is mixed first: sequences of neighbouring seeds would otherwise be the
    // same sequence shifted by one.
    explicit Random(std::uint64_t seed) : m_state(mix(seed ^ 0x2545F4914F6CDD1Dull)) {}

    std::uint64_t next() { return mix(m_state += 0x9E3779B97F4A7C15ull); }

    int below(int bound) { return int(next() % std::uint64_t(bound)); }
    int between(int low, int high) { return low + below(high - low + 1); }
    template <typename T, size_t N>
    const T &pick(const T (&items)[N]) { return items[below(int(N))]; }

private:
    static std::uint64_t mix(std::uint64_t z)
    {
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    std::uint64_t m_state;
};

const char *const words[] = {"news",  "mail",   "shop",   "music", "video",  "search", "cloud", "forum",
                             "blog",  "travel", "sports", "games", "finance", "maps",  "photo", "docs",
                             "learn", "china",  "weather", "health", "books", "movie", "tech",  "home"};
const char *const tlds[] = {".com", ".cn", ".com.cn", ".net", ".org", ".edu.cn", ".gov.cn", ".io"};
const char *const schemes[] = {"http://", "https://", "", "https://", "http://"};
const char *const pathWords[] = {"index", "article", "list", "detail", "2019", "2023", "download", "view",
                                 "page",  "user",    "item", "static", "category", "tag", "archive", "read"};
const char *const englishWords[] = {"Home",  "Page",   "Online", "Daily", "News",    "Portal", "Store",
                                    "Guide", "Review", "Forum",  "Free",  "Official", "Site", "Center",
                                    "World", "Music",  "Video",  "Cloud", "Learning", "Open", "Project"};
// Common characters of names of Chinese web sites.
const char *const chineseChars[] = {"网", "站", "新", "闻", "中", "国", "在", "线", "音", "乐", "视", "频",
                                    "论", "坛", "商", "城", "体", "育", "财", "经", "地", "图", "天", "气",
                                    "学", "习", "旅", "游", "博", "客", "首", "页", "官", "方", "电", "影",
                                    "搜", "索", "邮", "箱", "汽", "车", "房", "产", "健", "康", "游", "戏"};

std::string realisticAddress(Random &random, int index)
{
    const int length = random.between(20, 200);
    std::string text = random.pick(schemes);
    text += random.below(3) == 0 ? "" : "www.";
    text += random.pick(words);
    text += std::to_string(index % 9973);
    text += random.pick(tlds);
    while (int(text.size()) < length) {
        text += '/';
        text += random.pick(pathWords);
        if (random.below(2) == 0)
            text += std::to_string(random.below(100000));
        if (random.below(6) == 0)
            text += "?id=" + std::to_string(random.below(1000000)) + "&lang=zh";
    }
    text.resize(size_t(length));
    return text;
}

std::string realisticName(Random &random, int index)
{
    std::string text;
    if (index % 3 == 0) {
        const int length = random.between(3, 16);
        for (int i = 0; i < length; ++i)
            text += random.pick(chineseChars);
        return text;
    }
    const int wordCount = random.between(1, 6);
    for (int i = 0; i < wordCount; ++i) {
        if (i)
            text += ' ';
        text += random.pick(englishWords);
    }
    if (random.below(2) == 0)
        text += " " + std::to_string(index);
    return text;
}

// Distinct date-times over ten years from 2015, in no particular order: row i gets slot
// (i * 7919) mod count, a permutation while count is no multiple of 7919, and a second
// inside that slot.
std::string realisticViewTime(Random &random, int index, int count)
{
    const std::int64_t span = 10ll * 365 * 24 * 3600;
    const std::int64_t slotLength = count > 0 ? span / count : span;
    const std::int64_t slot = (std::int64_t(index) * 7919) % (count > 0 ? count : 1);
    std::time_t seconds = std::time_t(1420070400 + slot * slotLength + std::int64_t(random.next() % std::uint64_t(slotLength)));
    std::tm parts{};
    gmtime_r(&seconds, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &parts);
    return text;
}

Row legacyRow(int index)
{
    Row row;
    row.address = "www.site" + std::to_string(std::int64_t(index) * 7919 % 1000003) + ".example.com/path/"
                  + std::to_string(index % 97) + "/index.html";
    row.name = "示例网站 " + std::to_string(index) + " 号 Example";
    char day[16];
    std::snprintf(day, sizeof day, "2024-%02d-%02d", 1 + index % 12, 1 + index % 28);
    row.viewTime = day;
    row.times = index * 31 % 500;
    row.groupNo = 1 + index % Groups;
    row.favourite = index % 10 == 0;
    return row;
}

void exec(sqlite3 *db, const char *sql)
{
    char *error = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        std::fprintf(stderr, "sqlite: %s\n", error);
        sqlite3_free(error);
        std::exit(1);
    }
}

} // namespace

const char *kindName(Kind kind)
{
    return kind == Kind::Realistic ? "realistic" : "legacy";
}

Row row(Kind kind, int index, int count)
{
    if (kind == Kind::Legacy)
        return legacyRow(index);
    Random random(std::uint64_t(index) + 1);
    Row row;
    row.address = realisticAddress(random, index);
    row.name = realisticName(random, index);
    row.viewTime = realisticViewTime(random, index, count);
    // Most addresses were visited a few times, some very often.
    row.times = random.below(4) == 0 ? random.below(5000) : random.below(20);
    row.groupNo = 1 + random.below(Groups);
    row.favourite = random.below(10) == 0;
    return row;
}

std::vector<std::string> groupNames()
{
    std::vector<std::string> names;
    for (int g = 1; g <= Groups; ++g)
        names.push_back(g % 3 == 0 ? "Group " + std::to_string(g) : "网址组别" + std::to_string(g));
    return names;
}

void seed(const QString &file, int count, Kind kind)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(file));
        std::exit(1);
    }
    exec(db, "BEGIN");
    exec(db, "DELETE FROM BaseGroup");
    exec(db, "DELETE FROM address");
    sqlite3_stmt *group = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO BaseGroup (GroupNo, GroupName) VALUES (?, ?)", -1, &group, nullptr);
    const std::vector<std::string> names = groupNames();
    for (int g = 1; g <= Groups; ++g) {
        sqlite3_bind_int(group, 1, g);
        sqlite3_bind_text(group, 2, names[size_t(g - 1)].c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_step(group);
        sqlite3_reset(group);
    }
    sqlite3_finalize(group);
    sqlite3_stmt *insert = nullptr;
    // The folded copies are written as the program writes them with every address.
    sqlite3_prepare_v2(db, "INSERT INTO address (Address, AddressName, Times, ViewTime, GroupNo, MyAddress, "
                           "AddressFolded, AddressNameFolded) VALUES (?, ?, ?, ?, ?, ?, ?, ?)", -1, &insert, nullptr);
    const auto folded = [](const std::string &text) {
        return QString::fromStdString(text).toCaseFolded().toStdString();
    };
    for (int i = 0; i < count; ++i) {
        const Row r = row(kind, i, count);
        const std::string addressFolded = folded(r.address);
        const std::string nameFolded = folded(r.name);
        sqlite3_bind_text(insert, 1, r.address.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 2, r.name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(insert, 3, r.times);
        sqlite3_bind_text(insert, 4, r.viewTime.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(insert, 5, r.groupNo);
        sqlite3_bind_int(insert, 6, r.favourite ? 1 : 0);
        sqlite3_bind_text(insert, 7, addressFolded.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 8, nameFolded.c_str(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(insert) != SQLITE_DONE) {
            std::fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(db));
            std::exit(1);
        }
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    exec(db, "COMMIT");
    sqlite3_close(db);
}

std::vector<std::string> stepTexts(sqlite3_stmt *query, int columns)
{
    std::vector<std::string> texts;
    while (sqlite3_step(query) == SQLITE_ROW) {
        for (int column = 0; column < columns; ++column) {
            const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(query, column));
            texts.emplace_back(text ? text : "");
        }
    }
    return texts;
}

void useOwnHome(const QString &folder)
{
    for (const char *name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
        qputenv(name, folder.toLocal8Bit() + "/" + name);
    qputenv("XDG_CONFIG_DIRS", "/nonexistent");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

} // namespace BenchData
