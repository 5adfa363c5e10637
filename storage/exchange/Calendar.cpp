// Appointments to and from iCalendar through libical.
#include "storage/exchange/Calendar.h"

#include "storage/AppointmentSeries.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QTimeZone>

#include <libical/ical.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>

namespace ical {

namespace {

using exchange::Finding;
using exchange::Problem;
using exchange::Record;

constexpr int kMemberLimit = 10000;
const char kXZeit[] = "X-TESSARON-ZEIT";
const char kXEZeit[] = "X-TESSARON-EZEIT";

struct ComponentDeleter {
    void operator()(icalcomponent *c) const { icalcomponent_free(c); }
};
using Component = std::unique_ptr<icalcomponent, ComponentDeleter>;

QString f(const Record &r, const char *name)
{
    QString v = r.fields.value(QString::fromLatin1(name));
    while (!v.isEmpty() && v.back() == QLatin1Char(' '))
        v.chop(1);
    return v;
}

// A time text "H:MM" or "HH:MM"; invalid otherwise.
QTime timeOf(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^\\s*(\\d{1,2}):(\\d{2})\\s*$"));
    const QRegularExpressionMatch m = pattern.match(text);
    if (!m.hasMatch())
        return {};
    return QTime(m.captured(1).toInt(), m.captured(2).toInt());
}

icaltimetype dateValue(const QDate &d)
{
    icaltimetype t = icaltime_null_date();
    t.year = d.year();
    t.month = d.month();
    t.day = d.day();
    return t;
}

icaltimetype floatingValue(const QDate &d, const QTime &time)
{
    icaltimetype t = icaltime_null_time();
    t.year = d.year();
    t.month = d.month();
    t.day = d.day();
    t.hour = time.hour();
    t.minute = time.minute();
    t.second = 0;
    t.is_date = 0;
    return t;
}

QString fromUtf8(const char *text)
{
    return text ? QString::fromUtf8(text) : QString();
}

QByteArray utf8(const QString &text)
{
    return text.toUtf8();
}

void addText(icalcomponent *ev, icalproperty *p)
{
    icalcomponent_add_property(ev, p);
}

void addX(icalcomponent *ev, const char *name, const QString &value)
{
    icalproperty *p = icalproperty_new_x(utf8(value).constData());
    icalproperty_set_x_name(p, name);
    icalcomponent_add_property(ev, p);
}

// The texts every member of a series must share.
QStringList sharedOf(const Record &r)
{
    return {f(r, "ZEIT"), f(r, "EZEIT"), f(r, "TERMIN"), f(r, "NOTIZ"), f(r, "TELNU"), r.note};
}

struct Rule {
    series::Unit unit = series::Unit::None;
    int count = 0;
    std::vector<QDate> gaps;
};

// The interval that yields every member date, trying the gaps between the
// first two dates and the smallest gap.
bool ruleOf(const std::vector<QDate> &dates, Rule *rule)
{
    if (dates.size() < 2)
        return false;
    int smallest = INT_MAX;
    for (std::size_t i = 1; i < dates.size(); ++i)
        smallest = std::min<int>(smallest, static_cast<int>(dates[i - 1].daysTo(dates[i])));
    if (smallest <= 0)
        return false;
    const QDate d0 = dates.front();
    std::vector<std::pair<series::Unit, int>> candidates;
    for (const QDate &d1 : {dates[1], d0.addDays(smallest)}) {
        const int days = static_cast<int>(d0.daysTo(d1));
        const int months = (d1.year() - d0.year()) * 12 + d1.month() - d0.month();
        if (series::AddMonths(d0, 12) == d1)
            candidates.push_back({series::Unit::Year, 1});
        if (months > 0 && series::AddMonths(d0, months) == d1)
            candidates.push_back({series::Unit::Month, months});
        if (days % 7 == 0)
            candidates.push_back({series::Unit::Week, days / 7});
        candidates.push_back({series::Unit::Day, days});
    }
    const std::set<QDate> members(dates.begin(), dates.end());
    for (const auto &[unit, count] : candidates) {
        series::Plan plan;
        plan.from = d0;
        plan.to = dates.back();
        plan.unit = unit;
        plan.count = count;
        const std::vector<QDate> all = series::datesOf(plan);
        // Months and years keep the day (and the month) of the start, as
        // the recurrence rule of the file does.
        const bool sameDay = std::all_of(all.begin(), all.end(), [&](const QDate &d) {
            return d.day() == d0.day() && (unit != series::Unit::Year || d.month() == d0.month());
        });
        if ((unit == series::Unit::Month || unit == series::Unit::Year) && !sameDay)
            continue;
        const std::set<QDate> generated(all.begin(), all.end());
        if (!std::includes(generated.begin(), generated.end(), members.begin(), members.end()))
            continue;
        rule->unit = unit;
        rule->count = count;
        rule->gaps.clear();
        std::set_difference(generated.begin(), generated.end(), members.begin(), members.end(),
                            std::back_inserter(rule->gaps));
        return true;
    }
    return false;
}

icalcomponent *eventOf(const Record &r, const QDate &date)
{
    icalcomponent *ev = icalcomponent_new_vevent();
    const QString inr = f(r, "INR");
    icalcomponent_add_property(ev, icalproperty_new_uid(utf8((inr.isEmpty() ? QStringLiteral("TE") + date.toString(QStringLiteral("yyyyMMdd")) : inr)
                                                             + QStringLiteral("@tessaron")).constData()));
    icalcomponent_add_property(ev, icalproperty_new_dtstamp(icaltime_current_time_with_zone(icaltimezone_get_utc_timezone())));
    const QString zeit = f(r, "ZEIT");
    const QString ezeit = f(r, "EZEIT");
    const QTime start = timeOf(zeit);
    const QTime end = timeOf(ezeit);
    if (start.isValid()) {
        icalcomponent_add_property(ev, icalproperty_new_dtstart(floatingValue(date, start)));
        if (end.isValid())
            icalcomponent_add_property(ev, icalproperty_new_dtend(floatingValue(end < start ? date.addDays(1) : date, end)));
    } else {
        icalcomponent_add_property(ev, icalproperty_new_dtstart(dateValue(date)));
    }
    // Times the file cannot hold as they are written go along as text.
    if (!zeit.isEmpty() && (!start.isValid() || start.toString(QStringLiteral("HH:mm")) != zeit.trimmed()))
        addX(ev, kXZeit, zeit);
    if (!ezeit.isEmpty() && (!start.isValid() || !end.isValid() || end.toString(QStringLiteral("HH:mm")) != ezeit.trimmed()))
        addX(ev, kXEZeit, ezeit);
    if (!f(r, "TERMIN").isEmpty())
        addText(ev, icalproperty_new_summary(utf8(f(r, "TERMIN")).constData()));
    if (!f(r, "NOTIZ").isEmpty())
        addText(ev, icalproperty_new_comment(utf8(f(r, "NOTIZ")).constData()));
    if (!f(r, "TELNU").isEmpty())
        addText(ev, icalproperty_new_contact(utf8(f(r, "TELNU")).constData()));
    if (!r.note.isEmpty())
        addText(ev, icalproperty_new_description(utf8(r.note).constData()));
    return ev;
}

// The local date and time of a DTSTART or DTEND value.
QDateTime localOf(const icaltimetype &t)
{
    const QDate date(t.year, t.month, t.day);
    if (t.is_date)
        return QDateTime(date, QTime(0, 0));
    const icaltimezone *zone = icaltime_get_timezone(t);
    if (!zone && !icaltime_is_utc(t))
        return QDateTime(date, QTime(t.hour, t.minute, t.second)); // floating
    const time_t secs = icaltime_as_timet_with_zone(t, zone ? zone : icaltimezone_get_utc_timezone());
    return QDateTime::fromSecsSinceEpoch(static_cast<qint64>(secs)).toLocalTime();
}

bool hasByParts(const icalrecurrencetype &r)
{
    return r.by_second[0] != ICAL_RECURRENCE_ARRAY_MAX || r.by_minute[0] != ICAL_RECURRENCE_ARRAY_MAX
        || r.by_hour[0] != ICAL_RECURRENCE_ARRAY_MAX || r.by_day[0] != ICAL_RECURRENCE_ARRAY_MAX
        || r.by_month_day[0] != ICAL_RECURRENCE_ARRAY_MAX || r.by_year_day[0] != ICAL_RECURRENCE_ARRAY_MAX
        || r.by_week_no[0] != ICAL_RECURRENCE_ARRAY_MAX || r.by_month[0] != ICAL_RECURRENCE_ARRAY_MAX
        || r.by_set_pos[0] != ICAL_RECURRENCE_ARRAY_MAX;
}

// The dates of a recurrence: the series routine where the rule is one of
// its intervals, libical's expansion otherwise.
std::vector<QDate> recurrenceDates(const icalrecurrencetype &rule, const icaltimetype &dtstart, const QDate &start,
                                   const QDate &horizon, bool *openEnded)
{
    *openEnded = icaltime_is_null_time(rule.until) && rule.count == 0;
    const QDate until = icaltime_is_null_time(rule.until) ? horizon : localOf(rule.until).date();
    series::Unit unit = series::Unit::None;
    switch (rule.freq) {
    case ICAL_DAILY_RECURRENCE: unit = series::Unit::Day; break;
    case ICAL_WEEKLY_RECURRENCE: unit = series::Unit::Week; break;
    case ICAL_MONTHLY_RECURRENCE: unit = start.day() <= 28 ? series::Unit::Month : series::Unit::None; break;
    case ICAL_YEARLY_RECURRENCE:
        unit = rule.interval <= 1 && !(start.month() == 2 && start.day() == 29) ? series::Unit::Year : series::Unit::None;
        break;
    default: break;
    }
    if (unit != series::Unit::None && !hasByParts(rule)) {
        series::Plan plan;
        plan.from = start;
        plan.unit = unit;
        plan.count = std::max<int>(1, rule.interval);
        plan.to = until;
        if (rule.count > 0) {
            QDate last = start;
            for (int i = 1; i < std::min(rule.count, kMemberLimit); ++i)
                last = series::advance(last, unit, plan.count);
            plan.to = last;
        }
        std::vector<QDate> dates = series::datesOf(plan);
        if (dates.size() > static_cast<std::size_t>(kMemberLimit))
            dates.resize(kMemberLimit);
        return dates;
    }
    std::vector<QDate> dates;
    icalrecur_iterator *it = icalrecur_iterator_new(rule, dtstart);
    if (!it)
        return dates;
    for (icaltimetype t = icalrecur_iterator_next(it); !icaltime_is_null_time(t); t = icalrecur_iterator_next(it)) {
        const QDate d = localOf(t).date();
        if (d > until || dates.size() >= static_cast<std::size_t>(kMemberLimit))
            break;
        dates.push_back(d);
    }
    icalrecur_iterator_free(it);
    return dates;
}

// The lines on which the VEVENTs of the file begin, in order.
std::vector<int> eventLines(const QByteArray &bytes)
{
    std::vector<int> lines;
    int line = 1;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= bytes.size(); ++i) {
        if (i == bytes.size() || bytes.at(i) == '\n') {
            if (bytes.mid(start, i - start).trimmed().toUpper() == "BEGIN:VEVENT")
                lines.push_back(line);
            ++line;
            start = i + 1;
        }
    }
    return lines;
}

} // namespace

QByteArray writeAppointments(const std::vector<Record> &appointments)
{
    Component cal(icalcomponent_new_vcalendar());
    icalcomponent_add_property(cal.get(), icalproperty_new_version("2.0"));
    icalcomponent_add_property(cal.get(), icalproperty_new_prodid("-//Tessaron//Tessaron//DE"));

    // Members of a series by number.
    std::map<long, std::vector<const Record *>> seriesOf;
    for (const Record &r : appointments) {
        const long number = static_cast<long>(f(r, "WTERMIN").toDouble());
        if (number > 0 && QDate::fromString(f(r, "DATUM"), QStringLiteral("yyyyMMdd")).isValid())
            seriesOf[number].push_back(&r);
    }
    std::set<const Record *> written;
    for (auto &[number, members] : seriesOf) {
        std::sort(members.begin(), members.end(), [](const Record *a, const Record *b) {
            return f(*a, "DATUM") < f(*b, "DATUM");
        });
        const QStringList shared = sharedOf(*members.front());
        if (!std::all_of(members.begin(), members.end(), [&](const Record *m) { return sharedOf(*m) == shared; }))
            continue;
        std::vector<QDate> dates;
        for (const Record *m : members)
            dates.push_back(QDate::fromString(f(*m, "DATUM"), QStringLiteral("yyyyMMdd")));
        dates.erase(std::unique(dates.begin(), dates.end()), dates.end());
        Rule rule;
        if (dates.size() != members.size() || !ruleOf(dates, &rule))
            continue;
        const Record &first = *members.front();
        icalcomponent *ev = eventOf(first, dates.front());
        const QTime start = timeOf(f(first, "ZEIT"));
        icalrecurrencetype rrule;
        icalrecurrencetype_clear(&rrule);
        switch (rule.unit) {
        case series::Unit::Day: rrule.freq = ICAL_DAILY_RECURRENCE; break;
        case series::Unit::Week: rrule.freq = ICAL_WEEKLY_RECURRENCE; break;
        case series::Unit::Month: rrule.freq = ICAL_MONTHLY_RECURRENCE; break;
        default: rrule.freq = ICAL_YEARLY_RECURRENCE; break;
        }
        rrule.interval = static_cast<short>(rule.count);
        rrule.until = start.isValid() ? floatingValue(dates.back(), start) : dateValue(dates.back());
        icalcomponent_add_property(ev, icalproperty_new_rrule(rrule));
        for (const QDate &gap : rule.gaps)
            icalcomponent_add_property(ev, icalproperty_new_exdate(start.isValid() ? floatingValue(gap, start) : dateValue(gap)));
        icalcomponent_add_component(cal.get(), ev);
        for (const Record *m : members)
            written.insert(m);
    }
    for (const Record &r : appointments) {
        if (written.count(&r))
            continue;
        const QDate date = QDate::fromString(f(r, "DATUM"), QStringLiteral("yyyyMMdd"));
        if (!date.isValid())
            continue; // an appointment without a date has no place in a calendar
        icalcomponent_add_component(cal.get(), eventOf(r, date));
    }
    char *text = icalcomponent_as_ical_string_r(cal.get());
    QByteArray out(text);
    icalmemory_free_buffer(text);
    return out;
}

exchange::Parsed readAppointments(const QByteArray &bytes, const QDate &today)
{
    exchange::Parsed parsed;
    const std::vector<int> lines = eventLines(bytes);
    QByteArray text = bytes;
    if (text.startsWith("\xEF\xBB\xBF"))
        text.remove(0, 3);
    Component root(icalparser_parse_string(text.constData()));
    if (!root) {
        parsed.findings.push_back({1, Problem::Syntax, QString(), QStringLiteral("no iCalendar data"), true});
        return parsed;
    }
    // The events of every calendar of the file, in order.
    std::vector<icalcomponent *> events;
    auto collect = [&](icalcomponent *cal) {
        for (icalcomponent *ev = icalcomponent_get_first_component(cal, ICAL_VEVENT_COMPONENT); ev;
             ev = icalcomponent_get_next_component(cal, ICAL_VEVENT_COMPONENT))
            events.push_back(ev);
    };
    if (icalcomponent_isa(root.get()) == ICAL_VEVENT_COMPONENT)
        events.push_back(root.get());
    else if (icalcomponent_isa(root.get()) == ICAL_XROOT_COMPONENT) {
        for (icalcomponent *cal = icalcomponent_get_first_component(root.get(), ICAL_VCALENDAR_COMPONENT); cal;
             cal = icalcomponent_get_next_component(root.get(), ICAL_VCALENDAR_COMPONENT))
            collect(cal);
    } else
        collect(root.get());

    const QDate horizon = std::max(today, QDate()).addYears(10);
    // Changed occurrences: UID -> dates taken out of the series.
    std::map<QString, std::set<QDate>> changed;
    for (icalcomponent *ev : events) {
        const icaltimetype rid = icalcomponent_get_recurrenceid(ev);
        if (!icaltime_is_null_time(rid))
            changed[fromUtf8(icalcomponent_get_uid(ev))].insert(localOf(rid).date());
    }

    for (std::size_t i = 0; i < events.size(); ++i) {
        icalcomponent *ev = events[i];
        const int line = i < lines.size() ? lines[i] : 0;
        QString error;
        for (icalproperty *p = icalcomponent_get_first_property(ev, ICAL_XLICERROR_PROPERTY); p && error.isEmpty();
             p = icalcomponent_get_next_property(ev, ICAL_XLICERROR_PROPERTY))
            error = fromUtf8(icalproperty_get_xlicerror(p));
        const icaltimetype dtstart = icalcomponent_get_dtstart(ev);
        if (error.isEmpty() && icaltime_is_null_time(dtstart))
            error = QStringLiteral("no DTSTART");
        if (!error.isEmpty()) {
            parsed.findings.push_back({line, Problem::Syntax, QString(), error, true});
            continue;
        }
        Record r;
        r.line = line;
        const QDateTime start = localOf(dtstart);
        r.fields.insert(QStringLiteral("DATUM"), start.date().toString(QStringLiteral("yyyyMMdd")));
        if (!dtstart.is_date)
            r.fields.insert(QStringLiteral("ZEIT"), start.time().toString(QStringLiteral("HH:mm")));
        // libical answers DTSTART for an event without DTEND and DURATION.
        const bool hasEnd = icalcomponent_get_first_property(ev, ICAL_DTEND_PROPERTY)
            || icalcomponent_get_first_property(ev, ICAL_DURATION_PROPERTY);
        const icaltimetype dtend = hasEnd ? icalcomponent_get_dtend(ev) : icaltime_null_time();
        if (!dtstart.is_date && !icaltime_is_null_time(dtend) && !dtend.is_date)
            r.fields.insert(QStringLiteral("EZEIT"), localOf(dtend).time().toString(QStringLiteral("HH:mm")));
        r.fields.insert(QStringLiteral("TERMIN"), fromUtf8(icalcomponent_get_summary(ev)));
        QString comment = fromUtf8(icalcomponent_get_comment(ev));
        if (comment.isEmpty())
            comment = fromUtf8(icalcomponent_get_location(ev));
        r.fields.insert(QStringLiteral("NOTIZ"), comment);
        if (icalproperty *contact = icalcomponent_get_first_property(ev, ICAL_CONTACT_PROPERTY))
            r.fields.insert(QStringLiteral("TELNU"), fromUtf8(icalproperty_get_contact(contact)));
        r.note = fromUtf8(icalcomponent_get_description(ev));
        r.note.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        for (icalproperty *p = icalcomponent_get_first_property(ev, ICAL_X_PROPERTY); p;
             p = icalcomponent_get_next_property(ev, ICAL_X_PROPERTY)) {
            const QByteArray name = QByteArray(icalproperty_get_x_name(p)).toUpper();
            if (name == kXZeit)
                r.fields.insert(QStringLiteral("ZEIT"), fromUtf8(icalproperty_get_x(p)));
            else if (name == kXEZeit)
                r.fields.insert(QStringLiteral("EZEIT"), fromUtf8(icalproperty_get_x(p)));
        }

        // A recurrence: its dates, with RDATEs added and EXDATEs and changed
        // occurrences left out.
        if (icaltime_is_null_time(icalcomponent_get_recurrenceid(ev))) {
            std::set<QDate> dates;
            bool recurring = false;
            for (icalproperty *p = icalcomponent_get_first_property(ev, ICAL_RRULE_PROPERTY); p;
                 p = icalcomponent_get_next_property(ev, ICAL_RRULE_PROPERTY)) {
                recurring = true;
                bool openEnded = false;
                const std::vector<QDate> d = recurrenceDates(icalproperty_get_rrule(p), dtstart, start.date(),
                                                             std::max(horizon, start.date().addYears(10)), &openEnded);
                dates.insert(d.begin(), d.end());
                if (openEnded && !d.empty())
                    parsed.findings.push_back({line, Problem::OpenEnded, QStringLiteral("RRULE"),
                                               d.back().toString(QStringLiteral("yyyyMMdd")), false});
            }
            for (icalproperty *p = icalcomponent_get_first_property(ev, ICAL_RDATE_PROPERTY); p;
                 p = icalcomponent_get_next_property(ev, ICAL_RDATE_PROPERTY)) {
                recurring = true;
                dates.insert(start.date());
                const icaldatetimeperiodtype rdate = icalproperty_get_rdate(p);
                if (!icaltime_is_null_time(rdate.time))
                    dates.insert(localOf(rdate.time).date());
            }
            if (recurring) {
                for (icalproperty *p = icalcomponent_get_first_property(ev, ICAL_EXDATE_PROPERTY); p;
                     p = icalcomponent_get_next_property(ev, ICAL_EXDATE_PROPERTY))
                    dates.erase(localOf(icalproperty_get_exdate(p)).date());
                for (const QDate &d : changed[fromUtf8(icalcomponent_get_uid(ev))])
                    dates.erase(d);
                r.dates.assign(dates.begin(), dates.end());
                if (r.dates.empty())
                    continue; // every occurrence excluded or changed
                r.fields.insert(QStringLiteral("DATUM"), r.dates.front().toString(QStringLiteral("yyyyMMdd")));
            }
        }
        parsed.records.push_back(std::move(r));
    }
    return parsed;
}

} // namespace ical
