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
    std::string digits;  // the number as shown, with '.' as the separator
    std::string word;    // lower case, blanks collapsed
};

// One distinct numeric display text of a parameter and the smallest
// normalised value that shows it.
struct DisplayStep {
    float value;
    double number;
    std::string text;
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

// "Name=Value": finds both and sets the parameter. `shown` gets "Name = value"
// as the command line writes it.
bool applySetting(PluginInstance& plugin, const std::string& assignment, std::string& shown, std::string& error);

// The current value as the command line writes it: "+5.99 dB", "Smooth SK", "41%".
std::string commandLineText(PluginInstance& plugin, int index);
// What findValue accepts, in the same form: "-96 to +16 dB", "Off, Linked".
std::string acceptedValues(PluginInstance& plugin, int index);
// The parameter's numeric display texts in the order of its normalised
// values. The parameter's value is left unchanged.
std::vector<DisplayStep> displaySteps(PluginInstance& plugin, int index);
