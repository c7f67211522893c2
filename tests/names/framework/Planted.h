#pragma once

// Names for the checker's own test: every line marked "breaks" breaks the
// naming rule and must be reported; every other name must pass. Never built.

namespace stubsetup::Planted { // breaks

void PlantedHelper(); // breaks
void plantedHelper();
void DDX_Planted(int &value);
void AfxMessageBox();

class planted_type {};     // breaks
using planted_alias = int; // breaks

inline constexpr int plantedLimit = 1; // breaks
inline constexpr int kPlantedLimit = 1;
inline constexpr int IDPLANTED = 1;

struct Base {
    virtual ~Base() = default;
    virtual void paintEvent();
};

class Plain : public Base {
public:
    void paintEvent() override;
    void Operation(); // breaks
    void operation();
    static void setNextPlant();

    int publicField = 0; // breaks

private:
    int m_strPlain = 0; // breaks
    int m_plain = 0;
    int plain = 0; // breaks
};

class CPlantedCtrl : public Base {
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText)

public:
    static constexpr int IDC_PLANTED = 1000;

    void paintEvent() override;
    void Operation();
    void operation(); // breaks
    static void setNextPlant();
    QString text() const;
    void setText(const QString &text);

signals:
    void planted(int code);
    void Planted(int code); // breaks

private:
    int m_nPlanted = 0;
    int m_strPlanted = 0;
};

struct Fields {
    int plainField = 0;
    int m_plainField = 0;
    int PlainField = 0; // breaks

private:
    int hidden = 0; // breaks
};

} // namespace stubsetup::Planted

namespace stubsetup::PlantedBits {
inline constexpr int kFirst = 1;
inline constexpr int kSecond = 2;
} // namespace stubsetup::PlantedBits

namespace stubsetup {
namespace {

int LocalHelper() // breaks
{
    return 0;
}

} // namespace
} // namespace stubsetup
