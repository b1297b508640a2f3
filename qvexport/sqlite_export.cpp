#include "qvexport/sqlite_export.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <optional>

#include "common/platform/environment.h"
#include "common/platform/files.h"
#include "qvexport/database_series.h"
#include "qvexport/price_rows.h"
#include "qvexport/row_inserter.h"
#include "qvexport/series_blocks.h"
#include "qvexport/sqlite.h"

namespace qv::qvexport {

namespace {

constexpr const char* schema = R"sql(
CREATE TABLE IF NOT EXISTS commodities(
    tag TEXT PRIMARY KEY,
    name TEXT NOT NULL,
    precision INTEGER NOT NULL,
    scale INTEGER NOT NULL,
    storage_width INTEGER NOT NULL,
    contracts TEXT NOT NULL,
    roll_day INTEGER NOT NULL,
    roll_month INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS prices(
    tag TEXT NOT NULL,
    date TEXT NOT NULL,
    open INTEGER NOT NULL,
    high INTEGER NOT NULL,
    low INTEGER NOT NULL,
    close INTEGER NOT NULL,
    open_interest INTEGER NOT NULL,
    total_volume INTEGER NOT NULL,
    total_open_interest INTEGER NOT NULL,
    contract TEXT NOT NULL,
    PRIMARY KEY(tag, date)) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS rollovers(
    tag TEXT NOT NULL,
    date TEXT NOT NULL,
    contract_left TEXT NOT NULL,
    contract_taken TEXT NOT NULL,
    price_left INTEGER NOT NULL,
    price_taken INTEGER NOT NULL,
    gap INTEGER NOT NULL,
    PRIMARY KEY(tag, date)) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS cot(
    tag TEXT NOT NULL,
    date TEXT NOT NULL,
    non_commercial_long INTEGER NOT NULL,
    non_commercial_short INTEGER NOT NULL,
    non_commercial_spreading INTEGER NOT NULL,
    commercial_long INTEGER NOT NULL,
    commercial_short INTEGER NOT NULL,
    non_reportable_long INTEGER NOT NULL,
    non_reportable_short INTEGER NOT NULL,
    non_commercial_traders_long INTEGER NOT NULL,
    non_commercial_traders_short INTEGER NOT NULL,
    commercial_traders_long INTEGER NOT NULL,
    commercial_traders_short INTEGER NOT NULL,
    PRIMARY KEY(tag, date)) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS idx(
    tag TEXT NOT NULL,
    date TEXT NOT NULL,
    fields TEXT NOT NULL,
    PRIMARY KEY(tag, date)) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS export_blocks(
    kind TEXT NOT NULL,
    tag TEXT NOT NULL,
    block INTEGER NOT NULL,
    first_day INTEGER NOT NULL,
    hash INTEGER NOT NULL,
    PRIMARY KEY(kind, tag, block)) WITHOUT ROWID;
CREATE VIEW IF NOT EXISTS price_values AS
    SELECT p.tag, p.date,
           p.open * 1.0 / c.scale AS open, p.high * 1.0 / c.scale AS high,
           p.low * 1.0 / c.scale AS low, p.close * 1.0 / c.scale AS close,
           p.open_interest, p.total_volume, p.total_open_interest, p.contract
    FROM prices p JOIN commodities c ON c.tag = p.tag;
)sql";

// The file holds every table and the view already (a file of an earlier
// export); the schema is then not run again, which costs more than a daily run's rows.
bool has_schema(Database& db) {
    Statement count = db.prepare(
        "SELECT count(*) FROM sqlite_master WHERE name IN "
        "('commodities','prices','rollovers','cot','idx','export_blocks','price_values')");
    return count.step() && count.column_int(0) == 7;
}

// The prepared statements of one run.
struct Statements {
    explicit Statements(Database& db)
        : commodity(db.prepare("INSERT OR REPLACE INTO commodities VALUES(?,?,?,?,?,?,?,?)")),
          price(db, "prices", 10),
          roll(db, "rollovers", 7),
          cot(db, "cot", 13),
          idx(db, "idx", 3),
          block(db, "export_blocks", 5),
          delete_prices(db.prepare("DELETE FROM prices WHERE tag = ? AND date >= ?")),
          delete_rolls(db.prepare("DELETE FROM rollovers WHERE tag = ? AND date >= ?")),
          delete_cot(db.prepare("DELETE FROM cot WHERE tag = ? AND date >= ?")),
          delete_idx(db.prepare("DELETE FROM idx WHERE tag = ? AND date >= ?")),
          blocks(db.prepare("SELECT first_day, hash FROM export_blocks WHERE kind = ? AND tag = ? ORDER BY block")),
          delete_blocks(db.prepare("DELETE FROM export_blocks WHERE kind = ? AND tag = ? AND block >= ?")) {}

    Statement commodity;
    RowInserter price, roll, cot, idx, block;
    Statement delete_prices, delete_rolls, delete_cot, delete_idx;
    Statement blocks, delete_blocks;
};

void write_commodity(Statements& s, const Commodity& commodity) {
    s.commodity.bind(1, commodity.tag)
        .bind(2, trim_name(commodity.name))
        .bind(3, std::int64_t(commodity.precision))
        .bind(4, price_scale(commodity.precision))
        .bind(5, std::int64_t(commodity.bytes))
        .bind(6, commodity.cycle)
        .bind(7, std::int64_t(commodity.roll_day))
        .bind(8, std::int64_t(commodity.roll_month));
    s.commodity.run();
}

std::vector<Block> stored_blocks(Statements& s, DatabaseKind kind, const std::string& tag) {
    std::vector<Block> blocks;
    s.blocks.bind(1, kind_name(kind)).bind(2, tag);
    while (s.blocks.step())
        blocks.push_back({static_cast<DayNumber>(s.blocks.column_int(0)), s.blocks.column_int(1)});
    s.blocks.reset();
    return blocks;
}

void replace_blocks(Statements& s, DatabaseKind kind, const std::string& tag, const std::vector<Block>& blocks,
                    std::size_t from) {
    s.delete_blocks.bind(1, kind_name(kind)).bind(2, tag).bind(3, std::int64_t(from));
    s.delete_blocks.run();
    for (std::size_t i = from; i < blocks.size(); ++i)
        s.block.add(kind_name(kind))
            .add(tag)
            .add(std::int64_t(i))
            .add(std::int64_t(blocks[i].first_day))
            .add(blocks[i].hash);
    s.block.flush();
}

void delete_from(Statement& statement, const std::string& tag, const std::string& from_date) {
    statement.bind(1, tag).bind(2, from_date);
    statement.run();
}

long long write_prices(Statements& s, const DatabaseSeries& series, const Commodity& commodity, DayNumber from) {
    const std::string from_date = from == no_date ? std::string() : std::string(iso_date(from).view());
    delete_from(s.delete_prices, series.tag, from_date);
    delete_from(s.delete_rolls, series.tag, from_date);
    long long rows = 0;
    // The rows from the day on, and the dated record before it, which says
    // which contract a roll on that day left.
    std::size_t first = 0;
    while (first < series.units.size() && (series.units[first].day < from || series.units[first].day == no_date)) ++first;
    std::size_t before = first;
    while (before > 0 && series.units[before - 1].day == no_date) --before;
    if (before > 0) --before;
    const std::vector<ClcRecord> records = series.clc_records(before);
    const PriceRows rows_of_series = price_rows(records, commodity);
    for (const PriceRow& row : rows_of_series.prices) {
        const ClcRecord& r = *row.record;
        if (r.day < from) continue;
        s.price.add(series.tag)
            .add(iso_date(r.day))
            .add(std::int64_t(r.open))
            .add(std::int64_t(r.high))
            .add(std::int64_t(r.low))
            .add(std::int64_t(r.close))
            .add(std::int64_t(r.open_interest))
            .add(std::int64_t(r.total_volume))
            .add(std::int64_t(r.total_open_interest))
            .add(contract_text(row.contract));
        ++rows;
    }
    for (const RollOverRow& roll : rows_of_series.rolls) {
        if (roll.day < from) continue;
        s.roll.add(series.tag)
            .add(iso_date(roll.day))
            .add(contract_text(roll.left))
            .add(contract_text(roll.taken))
            .add(std::int64_t(roll.price_left))
            .add(std::int64_t(roll.price_taken))
            .add(roll.gap());
        ++rows;
    }
    s.price.flush();
    s.roll.flush();
    return rows;
}

long long write_cot(Statements& s, const DatabaseSeries& series, DayNumber from) {
    delete_from(s.delete_cot, series.tag, from == no_date ? std::string() : std::string(iso_date(from).view()));
    long long rows = 0;
    for (const CotRecord& r : series.cot_records()) {
        if (r.day < from || r.day == no_date) continue;
        const std::int64_t values[] = {r.non_commercial_long,         r.non_commercial_short,
                                       r.non_commercial_spreading,    r.commercial_long,
                                       r.commercial_short,            r.non_reportable_long,
                                       r.non_reportable_short,        r.non_commercial_traders_long,
                                       r.non_commercial_traders_short, r.commercial_traders_long,
                                       r.commercial_traders_short};
        s.cot.add(series.tag).add(iso_date(r.day));
        for (const std::int64_t value : values) s.cot.add(value);
        ++rows;
    }
    s.cot.flush();
    return rows;
}

long long write_idx(Statements& s, const DatabaseSeries& series, DayNumber from) {
    delete_from(s.delete_idx, series.tag, from == no_date ? std::string() : std::string(iso_date(from).view()));
    long long rows = 0;
    for (const IdxLine& line : series.idx_lines()) {
        if (line.day < from) continue;
        s.idx.add(series.tag).add(iso_date(line.day)).add(line.fields);
        ++rows;
    }
    s.idx.flush();
    return rows;
}

// What the contract of a price row depends on besides its day.
std::string contract_rule(const Commodity& commodity) {
    return commodity.all_tag + ' ' + std::to_string(commodity.roll_day) + ' ' + std::to_string(commodity.roll_month);
}

// Brings one series of the SQLite file up to date with its database file.
void export_series(Statements& s, DatabaseFiles& files, DatabaseSeries& series, DatabaseKind kind,
                   const Commodity& commodity, ExportCounts& counts, std::vector<std::string>& problems) {
    std::string error;
    const bool read = read_series(files, kind, commodity.tag, series, error);
    if (!error.empty()) problems.push_back(error);
    if (!read) return;
    const std::vector<Block> blocks =
        blocks_of(series, kind == DatabaseKind::clc ? contract_rule(commodity) : std::string());
    const std::optional<BlockChange> change = first_change(stored_blocks(s, kind, series.tag), blocks);
    if (!change) return;
    switch (kind) {
        case DatabaseKind::clc: counts.rows_written += write_prices(s, series, commodity, change->from_day); break;
        case DatabaseKind::cot: counts.rows_written += write_cot(s, series, change->from_day); break;
        case DatabaseKind::idx: counts.rows_written += write_idx(s, series, change->from_day); break;
    }
    replace_blocks(s, kind, series.tag, blocks, change->block);
    ++counts.series_changed;
}

// Every table is filled in the order of its key (tag and date, or kind, tag
// and block): rows go to the end of their table, on full pages.
ExportCounts write_database(Database& db, std::vector<const Commodity*> selected,
                            std::vector<std::string>& problems) {
    std::sort(selected.begin(), selected.end(),
              [](const Commodity* a, const Commodity* b) { return a->tag < b->tag; });
    Transaction transaction(db);
    if (!has_schema(db)) db.execute(schema);
    Statements statements(db);
    ExportCounts counts;
    for (const Commodity* commodity : selected) write_commodity(statements, *commodity);
    DatabaseFiles files;
    DatabaseSeries series;
    for (DatabaseKind kind : {DatabaseKind::clc, DatabaseKind::cot, DatabaseKind::idx})
        for (const Commodity* commodity : selected)
            export_series(statements, files, series, kind, *commodity, counts, problems);
    transaction.commit();
    return counts;
}

// The pragmas of both runs: large pages for a file of long runs of rows in key
// order, and, as with the database files of the suite, the syncs to the disk
// that make the promise of the old or the new content hold across a power
// failure only with QUORVANT_FSYNC=1.
void set_pragmas(Database& db, bool new_file) {
    if (new_file) db.execute("PRAGMA page_size = 16384");
    db.execute(env_flag("QUORVANT_FSYNC") ? "PRAGMA synchronous = FULL" : "PRAGMA synchronous = OFF");
}

// The first export: the file is built whole under a work name beside the
// target, without a rollback journal (nothing is there to roll back to), and
// renamed into place when it is complete, so that a run that is stopped
// leaves no file or the whole one.
ExportCounts export_new_file(const std::string& path, const std::vector<const Commodity*>& selected,
                             std::vector<std::string>& problems) {
    const std::string work = path + "-work";
    delete_file(work);
    struct WorkRemoval {
        const std::string& work;
        bool done = false;
        ~WorkRemoval() {
            if (!done) delete_file(work);
        }
    } removal{work};
    ExportCounts counts;
    {
        Database db(work);
        set_pragmas(db, true);
        db.execute("PRAGMA journal_mode = OFF");
        db.execute("PRAGMA locking_mode = EXCLUSIVE");
        // Room for every page of the file, so that none is written out twice.
        db.execute("PRAGMA cache_size = -262144");
        counts = write_database(db, selected, problems);
    }
    // A journal left beside a file that is gone would be played back into the new one.
    for (const char* stale : {"-journal", "-wal"}) delete_file(path + stale);
    if (!rename_file(work, path)) throw SqliteError("cannot rename " + work + " to " + path);
    removal.done = true;
    if (env_flag("QUORVANT_FSYNC")) sync_to_disk({std::filesystem::path(path).parent_path().string()});
    return counts;
}

// A later export: added to and corrected in one transaction; the rollback
// journal leaves the old content when the run is stopped.
ExportCounts export_into_file(const std::string& path, const std::vector<const Commodity*>& selected,
                              std::vector<std::string>& problems) {
    Database db(path);
    set_pragmas(db, false);
    return write_database(db, selected, problems);
}

}  // namespace

ExportCounts export_sqlite(const std::string& path, const std::vector<const Commodity*>& selected,
                           std::vector<std::string>& problems) {
    return file_exists(path) ? export_into_file(path, selected, problems)
                             : export_new_file(path, selected, problems);
}

}  // namespace qv::qvexport
