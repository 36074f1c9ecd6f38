#include "BenchData.h"

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char **environ;

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
    const T &pick(const T (&items)[N])
    {
        return items[below(int(N))];
    }

private:
    static std::uint64_t mix(std::uint64_t z)
    {
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    std::uint64_t m_state;
};

const char *const words[] = {"news",  "mail",   "shop",    "music",  "video",   "search", "cloud", "forum",
                             "blog",  "travel", "sports",  "games",  "finance", "maps",   "photo", "docs",
                             "learn", "china",  "weather", "health", "books",   "movie",  "tech",  "home"};
const char *const tlds[] = {".com", ".cn", ".com.cn", ".net", ".org", ".edu.cn", ".gov.cn", ".io"};
const char *const schemes[] = {"http://", "https://", "", "https://", "http://"};
const char *const pathWords[] = {"index", "article", "list", "detail", "2019",     "2023", "download", "view",
                                 "page",  "user",    "item", "static", "category", "tag",  "archive",  "read"};
const char *const englishWords[] = {"Home",  "Page",   "Online", "Daily", "News",     "Portal", "Store",
                                    "Guide", "Review", "Forum",  "Free",  "Official", "Site",   "Center",
                                    "World", "Music",  "Video",  "Cloud", "Learning", "Open",   "Project"};
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
    std::time_t seconds =
        std::time_t(1420070400 + slot * slotLength + std::int64_t(random.next() % std::uint64_t(slotLength)));
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

void appendEscaped(std::string &out, const std::string &text)
{
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
}

// Seconds since the epoch of a "YYYY-MM-DD HH:MM:SS" read as UTC.
long long utcSeconds(const std::string &viewTime)
{
    std::tm parts{};
    std::sscanf(viewTime.c_str(), "%d-%d-%d %d:%d:%d", &parts.tm_year, &parts.tm_mon, &parts.tm_mday, &parts.tm_hour,
                &parts.tm_min, &parts.tm_sec);
    parts.tm_year -= 1900;
    parts.tm_mon -= 1;
    return static_cast<long long>(timegm(&parts));
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
    sqlite3_prepare_v2(db,
                       "INSERT INTO address (Address, AddressName, Times, ViewTime, GroupNo, MyAddress, "
                       "AddressFolded, AddressNameFolded) VALUES (?, ?, ?, ?, ?, ?, ?, ?)",
                       -1, &insert, nullptr);
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

void writePlainLibrary(const std::string &file, int count)
{
    std::remove(file.c_str());
    sqlite3 *db = nullptr;
    if (sqlite3_open(file.c_str(), &db) != SQLITE_OK) {
        std::fprintf(stderr, "cannot open %s\n", file.c_str());
        std::exit(1);
    }
    exec(db, "CREATE TABLE BaseGroup (GroupNo INTEGER NOT NULL, GroupName TEXT NOT NULL)");
    exec(db,
         "CREATE TABLE address (Address TEXT, AddressName TEXT, Times INTEGER NOT NULL DEFAULT 0, "
         "ViewTime TEXT, GroupNo INTEGER, MyAddress INTEGER NOT NULL DEFAULT 0)");
    exec(db, "CREATE INDEX address_by_group ON address(GroupNo)");
    exec(db, "BEGIN");
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
    sqlite3_prepare_v2(db,
                       "INSERT INTO address (Address, AddressName, Times, ViewTime, GroupNo, MyAddress) "
                       "VALUES (?, ?, ?, ?, ?, ?)",
                       -1, &insert, nullptr);
    for (int i = 0; i < count; ++i) {
        const Row r = row(Kind::Realistic, i, count);
        sqlite3_bind_text(insert, 1, r.address.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 2, r.name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(insert, 3, r.times);
        sqlite3_bind_text(insert, 4, r.viewTime.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(insert, 5, r.groupNo);
        sqlite3_bind_int(insert, 6, r.favourite ? 1 : 0);
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

void writeBookmarkFile(const std::string &file, int count)
{
    std::vector<std::vector<Row>> byGroup(Groups);
    for (int i = 0; i < count; ++i) {
        Row r = row(Kind::Realistic, i, count);
        byGroup[size_t(r.groupNo - 1)].push_back(std::move(r));
    }
    std::string out = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
                      "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n"
                      "<TITLE>Bookmarks</TITLE>\n<H1>Bookmarks</H1>\n<DL><p>\n";
    const std::vector<std::string> names = groupNames();
    for (int g = 0; g < Groups; ++g) {
        out += "    <DT><H3>";
        appendEscaped(out, names[size_t(g)]);
        out += "</H3>\n    <DL><p>\n";
        for (const Row &r : byGroup[size_t(g)]) {
            out += "        <DT><A HREF=\"";
            appendEscaped(out, r.address);
            out += "\" ADD_DATE=\"" + std::to_string(utcSeconds(r.viewTime)) + "\">";
            appendEscaped(out, r.name);
            out += "</A>\n";
        }
        out += "    </DL><p>\n";
    }
    out += "</DL><p>\n";
    FILE *stream = std::fopen(file.c_str(), "wb");
    if (!stream || std::fwrite(out.data(), 1, out.size(), stream) != out.size() || std::fclose(stream) != 0) {
        std::fprintf(stderr, "cannot write %s\n", file.c_str());
        std::exit(1);
    }
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

ProcessRun runProcess(const std::vector<std::string> &arguments)
{
    std::vector<char *> argv;
    for (const std::string &argument : arguments)
        argv.push_back(const_cast<char *>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int started = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (started != 0) {
        std::fprintf(stderr, "cannot start %s\n", argv[0]);
        std::exit(1);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    ProcessRun run;
    run.ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    run.peakMb = double(usage.ru_maxrss) / 1024.0;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return run;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::string spread(std::vector<double> values)
{
    if (values.empty())
        return "-";
    const auto [low, high] = std::minmax_element(values.begin(), values.end());
    char text[96];
    std::snprintf(text, sizeof text, "%.1f (%.1f-%.1f)", median(values), *low, *high);
    return text;
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
