// Parameters by name and values in the units the plug-in's display shows.
// Values are found by searching the normalised value whose display text
// matches, reading back through the dispatcher, so no engine table is copied.
#pragma once
#include <string>
#include <vector>

class PluginInstance;

// A display text read as a number with its unit ("db", "%", "hz" or ""), or as a word.
struct DisplayReading {
    bool numeric = false;
    double number = 0.0;
    std::string unit;
    std::string word;  // lower case, blanks collapsed
};

std::string normaliseWords(const std::string& s);
DisplayReading readDisplay(const std::string& display, const std::string& label);

// The index of the parameter called `name` (case and repeated blanks ignored;
// a unique leading part of the name is enough), or -1 with a message.
int findParameter(PluginInstance& plugin, const std::string& name, std::string& error);

// The normalised value at which the parameter shows `request`, or false with a
// message that says what is accepted. The parameter's value is left unchanged.
bool findValue(PluginInstance& plugin, int index, const std::string& request, float& normalised,
               std::string& error);

// "Name=Value": finds both and sets the parameter. `shown` gets "Name = text label".
bool applySetting(PluginInstance& plugin, const std::string& assignment, std::string& shown, std::string& error);
