#include "tools/render/ParameterValues.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <set>

#include "tools/render/PluginHost.h"

namespace {

constexpr int kGridSteps = 2000;
constexpr double kRangeTolerance = 0.05;

std::string lower(std::string s) {
    for (char& c : s) c = (char)std::tolower((unsigned char)c);
    return s;
}

std::string trim(const std::string& s) {
    size_t b = s.find_first_not_of(' ');
    if (b == std::string::npos) return std::string();
    return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

bool endsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// Whole-string number with ':' or '.' as the separator.
bool parseNumber(std::string s, double& out) {
    s = trim(s);
    for (char& c : s)
        if (c == ':' || c == ',') c = '.';
    if (s.empty() || lower(s).find("inf") != std::string::npos || lower(s).find("nan") != std::string::npos)
        return false;
    char* end = nullptr;
    out = std::strtod(s.c_str(), &end);
    return end && *end == 0;
}

std::string showNumber(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", v == 0.0 ? 0.0 : v);
    return buf;
}

// A number as the command line writes it: "+5.99 dB", "41%", "1200 Hz";
// `withUnit` false gives the bare number.
std::string commandLineNumber(std::string digits, double value, const std::string& unit, bool withUnit = true) {
    static const struct {
        const char* unit;
        const char* written;
        bool signed_;
    } kUnits[] = {{"db", " dB", true}, {"hz", " Hz", false}, {"%", "%", false}};
    for (const auto& u : kUnits) {
        if (unit != u.unit) continue;
        if (u.signed_ && value > 0.0 && digits[0] != '+') digits = "+" + digits;
        if (withUnit) digits += u.written;
    }
    return digits;
}

// Display order of numbers: "-0:0" (a cut too small to show) lies below "0:00".
bool atOrAbove(double number, double target) {
    return number > target || (number == target && (std::signbit(target) || !std::signbit(number)));
}

struct GridPoint {
    float value;
    DisplayReading reading;
    std::string text;  // as displayed
};

// Reads the parameter's display at one normalised value.
struct Probe {
    PluginInstance& plugin;
    int index;
    std::string label;

    DisplayReading at(float v, std::string* text = nullptr) {
        plugin.set(index, v);
        std::string shown = plugin.display(index);
        if (text) *text = shown;
        return readDisplay(shown, label);
    }
};

// The display at evenly spaced normalised values from 0 to 1.
std::vector<GridPoint> scan(Probe& probe) {
    std::vector<GridPoint> grid;
    for (int j = 0; j <= kGridSteps; j++) {
        GridPoint g;
        g.value = j == kGridSteps ? 1.0f : (float)j / (float)kGridSteps;
        g.reading = probe.at(g.value, &g.text);
        grid.push_back(g);
    }
    return grid;
}

// Smallest float in (lo, hi] for which pred holds, given pred(lo) false and pred(hi) true.
float bisect(float lo, float hi, const std::function<bool(float)>& pred) {
    for (int guard = 0; guard < 64; guard++) {
        float mid = (float)(((double)lo + (double)hi) * 0.5);
        if (mid <= lo || mid >= hi) break;
        (pred(mid) ? hi : lo) = mid;
    }
    return hi;
}

// First grid point for which pred holds, then the smallest value before it that still does.
bool smallestWith(const std::vector<GridPoint>& grid, const std::function<bool(float)>& pred, float& out) {
    for (size_t j = 0; j < grid.size(); j++) {
        if (!pred(grid[j].value)) continue;
        out = j == 0 ? grid[0].value : bisect(grid[j - 1].value, grid[j].value, pred);
        return true;
    }
    return false;
}

// Where a unit's readings lie: the first and last normalised values showing
// that unit, found to the float, and the numbers shown there.
struct UnitRange {
    float first = -1.0f, last = -1.0f;
    double lo = INFINITY, hi = -INFINITY;
};

std::map<std::string, UnitRange> unitRanges(Probe& probe, const std::vector<GridPoint>& grid) {
    std::map<std::string, UnitRange> ranges;
    for (size_t j = 0; j < grid.size(); j++) {
        const DisplayReading& r = grid[j].reading;
        if (!r.numeric) continue;
        UnitRange& u = ranges[r.unit];
        if (u.first < 0.0f) {
            u.first = grid[j].value;
            if (j > 0)
                u.first = bisect(grid[j - 1].value, grid[j].value, [&](float v) {
                    DisplayReading x = probe.at(v);
                    return x.numeric && x.unit == r.unit;
                });
        }
        u.last = grid[j].value;
        if (j + 1 < grid.size() && !(grid[j + 1].reading.numeric && grid[j + 1].reading.unit == r.unit)) {
            float past = bisect(grid[j].value, grid[j + 1].value, [&](float v) {
                DisplayReading x = probe.at(v);
                return !(x.numeric && x.unit == r.unit);
            });
            u.last = std::nextafter(past, -1.0f);
        }
        u.lo = std::fmin(u.lo, r.number);
        u.hi = std::fmax(u.hi, r.number);
    }
    for (auto& [unit, u] : ranges)
        for (float v : {u.first, u.last}) {
            DisplayReading x = probe.at(v);
            if (x.numeric && x.unit == unit) u.lo = std::fmin(u.lo, x.number), u.hi = std::fmax(u.hi, x.number);
        }
    return ranges;
}

// "-96 to +16 dB", "Off, Linked", "inf, -42 to 0 dB, 0 to 100%": in the order the display shows them.
std::string acceptedText(const std::vector<GridPoint>& grid, const std::map<std::string, UnitRange>& ranges) {
    std::vector<std::pair<float, std::string>> items;
    for (const auto& [unit, u] : ranges)
        items.push_back({u.first, commandLineNumber(showNumber(u.lo), u.lo, unit, false) + " to " +
                                      commandLineNumber(showNumber(u.hi), u.hi, unit, true)});
    for (const GridPoint& g : grid) {
        if (g.reading.numeric || g.reading.word.empty()) continue;
        bool seen = false;
        for (const auto& item : items) seen = seen || item.second == trim(g.text);
        if (!seen) items.push_back({g.value, trim(g.text)});
    }
    std::stable_sort(items.begin(), items.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::string text;
    for (const auto& item : items) text += (text.empty() ? "" : ", ") + item.second;
    return text;
}

// Splits "+4.5dB", "41 %", "1.2kHz" into a number and a unit.
bool parseRequest(const std::string& request, double& number, std::string& unit) {
    static const struct {
        const char* suffix;
        const char* unit;
        double scale;
    } kUnits[] = {{"khz", "hz", 1000.0}, {"hz", "hz", 1.0}, {"db", "db", 1.0}, {"%", "%", 1.0}};
    std::string s = lower(trim(request));
    double scale = 1.0;
    unit.clear();
    for (const auto& u : kUnits) {
        if (!endsWith(s, u.suffix)) continue;
        s = s.substr(0, s.size() - std::strlen(u.suffix));
        unit = u.unit;
        scale = u.scale;
        break;
    }
    if (!parseNumber(s, number)) return false;
    number *= scale;
    return true;
}

}  // namespace

std::string normaliseWords(const std::string& s) {
    std::string out;
    for (char c : s) {
        if (c == ' ' || c == '\t') {
            if (!out.empty() && out.back() != ' ') out += ' ';
        } else {
            out += (char)std::tolower((unsigned char)c);
        }
    }
    if (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

DisplayReading readDisplay(const std::string& display, const std::string& label) {
    DisplayReading r;
    std::string s = trim(display);
    std::string unit = lower(trim(label));
    for (const char* suffix : {"%", "db"}) {
        if (!endsWith(lower(s), suffix)) continue;
        s = s.substr(0, s.size() - std::strlen(suffix));
        unit = suffix;
        break;
    }
    double n = 0.0;
    if (parseNumber(s, n)) {
        r.numeric = true;
        r.number = n;
        r.unit = unit;
        r.digits = trim(s);
        for (char& c : r.digits)
            if (c == ':' || c == ',') c = '.';
        if (r.digits.back() == '.') r.digits.pop_back();
    } else {
        r.word = normaliseWords(display);
    }
    return r;
}

int findParameter(PluginInstance& plugin, const std::string& name, std::string& error) {
    std::string want = normaliseWords(name);
    std::vector<int> partial;
    std::string all;
    for (int i = 0; i < plugin.numParams(); i++) {
        std::string have = normaliseWords(plugin.name(i));
        if (i) all += ", ";
        all += '"';
        all += plugin.name(i);
        all += '"';
        if (have == want) return i;
        if (!want.empty() && have.compare(0, want.size(), want) == 0 &&
            (have.size() == want.size() || have[want.size()] == ' '))
            partial.push_back(i);
    }
    if (partial.size() == 1) return partial[0];
    if (partial.size() > 1) {
        error = "parameter name '" + name + "' is ambiguous; it could be";
        for (size_t k = 0; k < partial.size(); k++)
        {
            error += k ? ", \"" : " \"";
            error += plugin.name(partial[k]);
            error += '"';
        }
        return -1;
    }
    error = "unknown parameter '" + name + "'; the parameters are " + all;
    return -1;
}

bool findValue(PluginInstance& plugin, int index, const std::string& request, float& normalised,
               std::string& error) {
    const float saved = plugin.exact(index);
    Probe probe{plugin, index, plugin.label(index)};
    const std::vector<GridPoint> grid = scan(probe);
    std::string name = plugin.name(index);
    bool found = false;
    const std::map<std::string, UnitRange> ranges = unitRanges(probe, grid);

    // A word of the display ("Smooth SK", "Linked", "inf").
    std::string word = normaliseWords(request);
    for (const GridPoint& g : grid) found = found || (!g.reading.numeric && g.reading.word == word);
    if (found) {
        found = smallestWith(grid, [&](float v) { return probe.at(v).word == word; }, normalised);
    } else {
        double number = 0.0;
        std::string unit;
        if (parseRequest(request, number, unit) && !ranges.empty()) {
            if (unit.empty() || !ranges.count(unit)) {
                if (ranges.size() == 1 && (unit.empty() || ranges.count("")))
                    unit = ranges.begin()->first;
                else if (unit.empty() && ranges.count("db") && ranges.count("%"))
                    unit = number < 0.0 ? "db" : "%";  // cuts in dB, boosts in percent
            }
            auto range = ranges.find(unit);
            if (range != ranges.end() && number >= range->second.lo - kRangeTolerance &&
                number <= range->second.hi + kRangeTolerance) {
                const float first = range->second.first, last = range->second.last;
                // "At or past" the target, in display order across the unit's region.
                auto reached = [&](double target) {
                    return [&, target](float v) {
                        DisplayReading r = probe.at(v);
                        if (r.numeric && r.unit == unit) return atOrAbove(r.number, target);
                        return v > last;
                    };
                };
                float above = last;
                if (!smallestWith(grid, reached(number), above) || above > last) above = last;
                // The nearer of the two neighbouring steps.
                DisplayReading up = probe.at(above);
                bool useDown = false;
                if (above > first) {
                    DisplayReading down = probe.at(std::nextafter(above, -1.0f));
                    useDown = down.numeric && down.unit == unit &&
                              std::fabs(down.number - number) < std::fabs(up.number - number);
                    if (useDown) smallestWith(grid, reached(down.number), above);
                }
                normalised = above < first ? first : above;
                found = true;
            }
        }
    }
    plugin.set(index, saved);
    if (!found)
        error = "value '" + request + "' is not accepted for \"" + name + "\"; it takes " + acceptedText(grid, ranges);
    return found;
}

bool applySetting(PluginInstance& plugin, const std::string& assignment, std::string& shown, std::string& error) {
    size_t eq = assignment.find('=');
    if (eq == std::string::npos) {
        error = "setting '" + assignment + "' must have the form \"Name=Value\"";
        return false;
    }
    int index = findParameter(plugin, assignment.substr(0, eq), error);
    if (index < 0) return false;
    float value = 0.0f;
    if (!findValue(plugin, index, assignment.substr(eq + 1), value, error)) return false;
    plugin.set(index, value);
    shown = plugin.name(index) + " = " + commandLineText(plugin, index);
    return true;
}

std::string commandLineText(PluginInstance& plugin, int index) {
    std::string display = plugin.display(index);
    DisplayReading r = readDisplay(display, plugin.label(index));
    return r.numeric ? commandLineNumber(r.digits, r.number, r.unit) : trim(display);
}

std::string acceptedValues(PluginInstance& plugin, int index) {
    const float saved = plugin.exact(index);
    Probe probe{plugin, index, plugin.label(index)};
    const std::vector<GridPoint> grid = scan(probe);
    std::string text = acceptedText(grid, unitRanges(probe, grid));
    plugin.set(index, saved);
    return text;
}

std::vector<DisplayStep> displaySteps(PluginInstance& plugin, int index) {
    const float saved = plugin.exact(index);
    Probe probe{plugin, index, plugin.label(index)};
    const std::vector<GridPoint> grid = scan(probe);
    std::vector<DisplayStep> steps;
    for (size_t j = 0; j < grid.size(); j++) {
        const DisplayReading& r = grid[j].reading;
        if (!r.numeric || (!steps.empty() && trim(grid[j].text) == steps.back().text)) continue;
        float first = grid[j].value;
        if (j > 0)
            first = bisect(grid[j - 1].value, grid[j].value, [&](float v) {
                DisplayReading x = probe.at(v);
                return x.numeric && x.unit == r.unit && atOrAbove(x.number, r.number);
            });
        steps.push_back({first, r.number, trim(grid[j].text)});
    }
    plugin.set(index, saved);
    return steps;
}
