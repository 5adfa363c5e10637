// The engine: the registry of work areas by number and alias, the selected
// area, the engine-wide settings (deleted hiding, exact, soft seek, century,
// epoch, date format, lock timeout) and the progress hook.
//
// One Engine serves the process (instance()); tests may make their own. Not
// thread-safe: one thread drives an engine.
#pragma once

#include "xbase/expr/Expression.h"
#include "xbase/table/Status.h"
#include "xbase/table/Table.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace xb {

class Env;
class WorkArea;

struct EngineSettings {
    bool hideDeleted = false;
    bool exact = false;
    bool softSeek = false;
    bool century = false;
    int epoch = 1900;
    int dateFormat = 99; // 0 American .. 6 Spanish, 99 the default "dd.MM.yy"
    int lockTimeoutMs = 5000;
    uint16_t memoBlockSize = 64;
};

class Engine {
public:
    // `env` (default: the POSIX one) must outlive the engine.
    explicit Engine(Env *env = nullptr);
    ~Engine(); // closes every work area
    Engine(const Engine &) = delete;
    Engine &operator=(const Engine &) = delete;

    static Engine &instance();

    Env *env() const { return m_env; }
    // Tables opened from now on use `env` (nullptr: the POSIX one); those
    // open keep theirs. Lets tests put a failing file layer under callers
    // that reach the engine only through the xb_* functions.
    void setEnv(Env *env);

    // Opens a table in a new work area under `alias` (made upper case; empty:
    // the file's stem). *area receives the area number (from 1). BadArgument
    // when the alias is already in use, otherwise Table::open's failures.
    Status use(const std::string &path, std::string_view alias, OpenMode mode, int *area);
    // Closes the area (flushing its table); unknown areas are ignored.
    void close(int area);
    void closeAll();

    WorkArea *area(int area) const;
    // The table of a work area that has the file at `path` open, or
    // nullptr.
    Table *openTable(const std::string &path) const;
    // Area number of an alias (any case), 0 when none.
    int findAlias(std::string_view alias) const;
    void select(int area) { m_selected = area; }
    int selected() const { return m_selected; }
    WorkArea *current() const { return area(m_selected); }

    EngineSettings &settings() { return m_settings; }
    const EngineSettings &settings() const { return m_settings; }
    // The settings expressions see, derived from the engine settings.
    EvalSettings evalSettings() const;
    // The short-date pattern of the date format and century setting.
    std::string datePattern() const;

    // Progress of long operations, in percent (0..100); an empty function
    // switches reports off.
    void setProgressHook(std::function<void(int)> hook) { m_progress = std::move(hook); }
    void reportProgress(int percent) const
    {
        if (m_progress)
            m_progress(percent);
    }

private:
    Env *m_env;
    std::map<int, std::unique_ptr<WorkArea>> m_areas;
    int m_selected = 0;
    EngineSettings m_settings;
    std::function<void(int)> m_progress;
};

} // namespace xb
