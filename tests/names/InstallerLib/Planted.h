#pragma once

// Names for the checker's own test, in a folder of UpperCamel functions.

namespace stubsetup {

bool plantedEntry(); // breaks
bool PlantedEntry();

class Store {
public:
    int GetValue() const; // breaks
    int getValue() const;
};

} // namespace stubsetup
