// The work-area registry and the engine-wide settings.
#include "xbase/api/Engine.h"

#include "xbase/index/CdxOrderSet.h"
#include "xbase/table/Env.h"
#include "xbase/api/WorkArea.h"

#include <cctype>

namespace xb {

namespace {

std::string upperAscii(std::string_view s)
{
    std::string out(s);
    for (char &c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

std::string stemOf(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.find('.');
    if (dot != std::string::npos)
        name.resize(dot);
    return name;
}

} // namespace

Engine::Engine(Env *env) : m_env(env ? env : Env::posix()) {}

Engine::~Engine()
{
    closeAll();
}

void Engine::setEnv(Env *env)
{
    m_env = env ? env : Env::posix();
}

Engine &Engine::instance()
{
    static Engine *engine = new Engine;
    return *engine;
}

Status Engine::use(const std::string &path, std::string_view alias, OpenMode mode, int *area)
{
    *area = 0;
    std::string name = upperAscii(alias.empty() ? std::string_view(stemOf(path)) : alias);
    if (name.empty())
        return Status::badArgument(path + ": no alias");
    if (findAlias(name) != 0)
        return Status::badArgument(path + ": alias " + name + " already in use");
    int number = 1;
    while (m_areas.count(number))
        ++number;
    if (number > 32767)
        return Status::badArgument(path + ": no free work area");
    std::unique_ptr<Table> table;
    Status s = Table::open(m_env, path, mode, table);
    if (!s)
        return s;
    table->setLockTimeout(m_settings.lockTimeoutMs);
    auto wa = std::make_unique<WorkArea>(*this, number, name, std::move(table));
    WorkArea *raw = wa.get();
    // The structural index opens with the table; a damaged one refuses the
    // open rather than letting the table drift away from it.
    auto indexes = std::make_unique<CdxOrderSet>(raw->table(), evalSettings());
    if (!(s = indexes->open()))
        return s;
    raw->setIndexes(std::move(indexes));
    m_areas[number] = std::move(wa);
    *area = number;
    m_selected = number;
    return raw->goTop();
}

void Engine::close(int area)
{
    auto it = m_areas.find(area);
    if (it == m_areas.end())
        return;
    it->second->table().flush();
    m_areas.erase(it);
    if (m_selected == area)
        m_selected = 0;
}

void Engine::closeAll()
{
    while (!m_areas.empty())
        close(m_areas.begin()->first);
}

WorkArea *Engine::area(int area) const
{
    auto it = m_areas.find(area);
    return it == m_areas.end() ? nullptr : it->second.get();
}

Table *Engine::openTable(const std::string &path) const
{
    std::string real;
    if (!m_env->findFileNoCase(path, &real))
        return nullptr;
    for (const auto &[number, wa] : m_areas)
        if (wa->table().path() == real)
            return &wa->table();
    return nullptr;
}

int Engine::findAlias(std::string_view alias) const
{
    const std::string name = upperAscii(alias);
    for (const auto &[number, wa] : m_areas)
        if (wa->alias() == name)
            return number;
    return 0;
}

std::string Engine::datePattern() const
{
    std::string p;
    switch (m_settings.dateFormat) {
    case 0: p = "MM/dd/yy"; break;
    case 1: p = "yy.MM.dd"; break;
    case 2: case 3: p = "dd/MM/yy"; break;
    case 4: p = "dd.MM.yy"; break;
    case 5: case 6: p = "dd-MM-yy"; break;
    default: p = "dd.MM.yy"; break;
    }
    if (m_settings.century) {
        const std::size_t at = p.find("yy");
        p.replace(at, 2, "yyyy");
    }
    return p;
}

EvalSettings Engine::evalSettings() const
{
    EvalSettings s;
    s.exact = m_settings.exact;
    s.dateFormat = datePattern();
    s.epoch = m_settings.epoch;
    return s;
}

} // namespace xb
