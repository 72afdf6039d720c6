#include "panels/bip/bip_logic.h"

#include "panels/bip/bip_catalog.h"

#include <cmath>
#include <exception>
#include <initializer_list>
#include <utility>

namespace orvex::panels::bip {

namespace {

// Data types of the offset buffers.
constexpr std::int32_t kByte = 1;
constexpr std::int32_t kTwoBytes = 3;
constexpr std::int32_t kSigned32 = 4;
constexpr std::int32_t kFourBytes = 5;
constexpr std::int32_t kDouble = 8;

// In the order of BIPOffsetKey.
constexpr BIPOffsetInfo kOffsets[kBIPOffsetKeyCount] = {
    {"MASTERBATTERY", 0x281C, kSigned32},
    {"MASTERAVIONICS", 0x2E80, kSigned32},
    {"ENGINE-FIRE", 0x3366, kByte},
    {"NGX-FIRE-ENG1", 0x6504, kByte},
    {"NGX-FIRE-ENG2", 0x6505, kByte},
    {"ENG1-FUEL-PRESSURE", 0x08F8, kFourBytes},
    {"NGX-FCTL_annunLOW_PRESSURE", 0x644B, kByte},
    {"ENG1-OIL-PRESSURE", 0x08BA, kTwoBytes},
    {"NGX-APU_annunLOW_OIL_PRESSURE", 0x6491, kByte},
    {"NGX-FCTL_annunFC_LOW_PRESSURE1", 0x6447, kByte},
    {"ENG2-OIL-PRESSURE", 0x0952, kTwoBytes},
    {"NGX-FCTL_annunFC_LOW_PRESSURE2", 0x6448, kByte},
    {"ENG3-OIL-PRESSURE", 0x09EA, kTwoBytes},
    {"ENG4-OIL-PRESSURE", 0x0A82, kTwoBytes},
    {"ENG1-OIL-TEMP", 0x08B8, kTwoBytes},
    {"ENG2-OIL-TEMP", 0x0950, kTwoBytes},
    {"ENG3-OIL-TEMP", 0x09E8, kTwoBytes},
    {"ENG4-OIL-TEMP", 0x0A80, kTwoBytes},
    {"FUEL-CAPACITY", 0x1240, kFourBytes},
    {"FUEL-QUANTITY", 0x1264, kFourBytes},
    {"NGX-WARN_annunFUEL", 0x650A, kByte},
    {"LEFT-TANK-LEVEL", 0x0B7C, kFourBytes},
    {"CENTER-TANK-LEVEL", 0x0B74, kFourBytes},
    {"RIGHT-TANK-LEVEL", 0x0B94, kFourBytes},
    {"CROSSFEED-SWITCH", 0x341F, kByte},
    {"NGX-FUEL_annunXFEED_VALVE_OPEN", 0x6469, kByte},
    {"GEARNOSE", 0x0BEC, kSigned32},
    {"GEARRIGHT", 0x0BF0, kSigned32},
    {"GEARLEFT", 0x0BF4, kSigned32},
    {"NGX-MAIN_annunGEAR_transit1", 0x6570, kByte},
    {"NGX-MAIN_annunGEAR_transit2", 0x6571, kByte},
    {"NGX-MAIN_annunGEAR_transit3", 0x6572, kByte},
    {"NGX-MAIN_annunGEAR_locked1", 0x6573, kByte},
    {"NGX-MAIN_annunGEAR_locked2", 0x6574, kByte},
    {"NGX-MAIN_annunGEAR_locked3", 0x6575, kByte},
    {"RADIO-IDENT-SWITCHES", 0x3122, kByte},
    {"NAV-GPS-SWITCH", 0x132C, kFourBytes},
    {"AP-MASTER-SWITCH", 0x07BC, kFourBytes},
    {"LIGHTS-SWITCHES", 0x0D0C, kTwoBytes},
    {"VAC-PRESSURE", 0x0B18, kDouble},
    {"NGX-WARN_annunMASTER_CAUTION", 0x6506, kByte},
    {"STALL-WARNING", 0x036C, kByte},
    {"DOORS-OPEN", 0x3367, kByte},
    {"NGX-WARN_annunDOORS", 0x6510, kByte},
    {"ROTOR-RPM", 0x0908, kFourBytes},
    {"PITOT-SWITCH", 0x029C, kByte},
    {"NGX-ICE_annunCAPT_PITOT", 0x64AE, kByte},
    {"PARKING-BRAKE", 0x0BC8, kTwoBytes},
    {"NGX-PED_annunParkingBrake", 0x65A7, kByte},
    {"INNER-MARKER", 0x0BAC, kTwoBytes},
    {"MIDDLE-MARKER", 0x0BAE, kTwoBytes},
    {"OUTER-MARKER", 0x0BB0, kTwoBytes},
    {"NGX-MAIN_annunAP1", 0x6550, kByte},
    {"NGX-ANY_AP_Mode", 0x6545, kFourBytes},
    {"NGX-MAIN_annunAT1", 0x6552, kByte},
    {"NGX-MAIN_annunFMC1", 0x6554, kByte},
};

// Threshold scales: the offset value that one percent of the threshold
// stands for.
constexpr double kFuelPressurePerPercent = 30;   // psi * 144; 100% = 20 psi
constexpr double kOilPressurePerPercent = 300;   // 16384 = 55 psi; 100% = 100 psi
constexpr double kOilTempPerPercent = 234;       // 16384 = 140 C; 100% = 200 C
constexpr double kVacuumPercentPerInHg = 20;     // inHg; 100% = 5 inHg
// Rotor RPM in percent of the rotor's full speed, 16384 = 100 %.
constexpr double kRotorRpmPerPercent = 16384.0 / 100.0;
// Tank levels are % * 128 * 65536: 8388608 is a full tank.
constexpr double kTankLevelPerPercent = 8388608.0 / 100.0;

// Bits of "ENGINE-FIRE" per engine 1-4.
constexpr std::int32_t kEngineFireBits[5] = {0, 0x01, 0x02, 0x04, 0x08};

// Bits of "RADIO-IDENT-SWITCHES".
constexpr std::int32_t kIdentAdf = 0x01, kIdentDme = 0x02, kIdentMkr = 0x04, kIdentNav2 = 0x08,
                       kIdentNav1 = 0x10, kIdentBoth = 0x20, kIdentCom2 = 0x40, kIdentCom1 = 0x80;
// Bits of "LIGHTS-SWITCHES".
constexpr std::int32_t kLightNav = 0x001, kLightBeacon = 0x002, kLightLanding = 0x004, kLightTaxi = 0x008,
                       kLightStrobe = 0x010, kLightInstruments = 0x020, kLightRecognition = 0x040,
                       kLightWing = 0x080, kLightLogo = 0x100, kLightCabin = 0x200;

bool Bit(double value, std::int32_t mask) {
    // The values read are whole numbers within 32 bits (byte and word
    // buffers); the light and ident words are unsigned.
    if (!std::isfinite(value)) return false;
    return (static_cast<std::int64_t>(value) & mask) != 0;
}

template <class Body>
void Guarded(Body&& body) noexcept {
    try {
        std::forward<Body>(body)();
    } catch (const std::exception&) {
        // Nothing is left half done: the next refresh or reload starts afresh.
    }
}

} // namespace

const BIPOffsetInfo& OffsetInfo(BIPOffsetKey key) { return kOffsets[static_cast<std::size_t>(key)]; }

cBIPPanelLogic::cBIPPanelLogic(app::ProgramState& state, simlink::RegisteredOffsets& offsets,
                               config::cConfiguration& configuration, IBIPPanelControl& control)
    : state_(state), offsets_(offsets), configuration_(configuration), control_(control), holder_(configuration) {}

// ---------------------------------------------------------------------------
// Start-up and configuration

void cBIPPanelLogic::StartUp() {
    Guarded([this] {
        holder_.PanelIndex = PanelIndex;
        holder_.LoadSetup();
    });
    SetupChanged();
}

void cBIPPanelLogic::Register(BIPOffsetKey key) {
    const BIPOffsetInfo& info = OffsetInfo(key);
    offsets_.AddOffset(info.Offset, info.Type, info.Name);
    needed_[static_cast<std::size_t>(key)] = true;
}

void cBIPPanelLogic::RegisterFunction(int function, bool ngx) {
    auto std_or_ngx = [&](BIPOffsetKey standard, BIPOffsetKey ngxKey) { Register(ngx ? ngxKey : standard); };
    switch (function) {
    case 1:
        if (ngx) {
            Register(kKeyNgxFireEng1);
            Register(kKeyNgxFireEng2);
        } else {
            Register(kKeyEngineFire);
        }
        break;
    case 2: case 6: std_or_ngx(kKeyEngineFire, kKeyNgxFireEng1); break;
    case 3: case 7: std_or_ngx(kKeyEngineFire, kKeyNgxFireEng2); break;
    case 4: case 5: Register(kKeyEngineFire); break;
    case 8: std_or_ngx(kKeyEng1FuelPressure, kKeyNgxLowPressure); break;
    case 9: std_or_ngx(kKeyEng1OilPressure, kKeyNgxApuLowOilPressure); break;
    case 10: std_or_ngx(kKeyEng1OilPressure, kKeyNgxFcLowPressure1); break;
    case 11: std_or_ngx(kKeyEng2OilPressure, kKeyNgxFcLowPressure2); break;
    case 12: Register(kKeyEng3OilPressure); break;
    case 13: Register(kKeyEng4OilPressure); break;
    case 14: case 15: Register(kKeyEng1OilTemp); break;
    case 16: Register(kKeyEng2OilTemp); break;
    case 17: Register(kKeyEng3OilTemp); break;
    case 18: Register(kKeyEng4OilTemp); break;
    case 19:
        if (ngx) {
            Register(kKeyNgxFuel);
        } else {
            Register(kKeyFuelCapacity);
            Register(kKeyFuelQuantity);
        }
        break;
    case 20: Register(kKeyLeftTankLevel); break;
    case 21: Register(kKeyCenterTankLevel); break;
    case 22: Register(kKeyRightTankLevel); break;
    case 23: std_or_ngx(kKeyCrossfeedSwitch, kKeyNgxXfeedValveOpen); break;
    case 27: case 29: case 30: case 31: case 32: case 33: case 34: case 36: Register(kKeyRadioIdentSwitches); break;
    case 28: case 35: Register(kKeyNavGpsSwitch); break;
    case 37: case 38: Register(kKeyApMasterSwitch); break;
    case 39: case 40: case 41: case 60: case 61: case 62: case 63: case 64: case 65: case 66:
        Register(kKeyLightsSwitches);
        break;
    case 44: Register(kKeyVacPressure); break;
    case 45: if (ngx) Register(kKeyNgxMasterCaution); break;
    case 47: Register(kKeyStallWarning); break;
    case 48: std_or_ngx(kKeyDoorsOpen, kKeyNgxDoors); break;
    case 49: Register(kKeyRotorRpm); break;
    case 50: std_or_ngx(kKeyPitotSwitch, kKeyNgxCaptPitot); break;
    case 51: std_or_ngx(kKeyParkingBrake, kKeyNgxParkingBrake); break;
    case 56: case 57: case 58: case 59:
        Register(kKeyInnerMarker);
        Register(kKeyMiddleMarker);
        Register(kKeyOuterMarker);
        break;
    case 67:
        if (ngx) {
            Register(kKeyNgxAp1);
            Register(kKeyNgxAnyApMode);
        }
        break;
    case 68: if (ngx) Register(kKeyNgxAt1); break;
    case 69: if (ngx) Register(kKeyNgxFmc1); break;
    default:
        if (IsGearFunction(function)) {
            if (ngx) {
                for (BIPOffsetKey k : {kKeyNgxGearTransit1, kKeyNgxGearTransit2, kKeyNgxGearTransit3,
                                       kKeyNgxGearLocked1, kKeyNgxGearLocked2, kKeyNgxGearLocked3})
                    Register(k);
            } else {
                Register(kKeyGearNose);
                Register(kKeyGearRight);
                Register(kKeyGearLeft);
            }
        }
        break;
    }
}

void cBIPPanelLogic::SetupChanged() {
    Guarded([this] {
        const bool ngx = Ngx();
        gearTilesUsed_ = false;
        needed_.fill(false);
        Register(kKeyMasterBattery);
        Register(kKeyMasterAvionics);
        for (int tile = 0; tile < kTileCount; ++tile) {
            const std::int32_t function = holder_.GetTileFunction(tile);
            control_.SetTileLabel(tile, holder_.GetName(tile));
            if (IsGearFunction(function)) gearTilesUsed_ = true;
            RegisterFunction(function, ngx);
        }
    });
}

// ---------------------------------------------------------------------------
// Refresh

const simlink::cOFFSET* cBIPPanelLogic::Entry(BIPOffsetKey key) const {
    return offsets_.Item(kOffsets[static_cast<std::size_t>(key)].Name);
}

double cBIPPanelLogic::Value(BIPOffsetKey key) const {
    const simlink::cOFFSET* offset = Entry(key);
    return offset ? offset->Data().AsDouble() : 0.0;
}

void cBIPPanelLogic::ReadGear() {
    gear_ = {kGearRetracted, kGearRetracted, kGearRetracted};
    if (Ngx()) {
        // transit/locked 1 is the right leg, 2 the nose, 3 the left one;
        // locked wins over transit.
        constexpr std::size_t kNose = 0, kRight = 1, kLeft = 2;
        constexpr std::size_t legOf[3] = {kRight, kNose, kLeft};
        constexpr BIPOffsetKey transit[3] = {kKeyNgxGearTransit1, kKeyNgxGearTransit2, kKeyNgxGearTransit3};
        constexpr BIPOffsetKey locked[3] = {kKeyNgxGearLocked1, kKeyNgxGearLocked2, kKeyNgxGearLocked3};
        for (std::size_t i = 0; i < 3; ++i)
            if (Value(transit[i]) == 1) gear_[legOf[i]] = kGearInTransit;
        for (std::size_t i = 0; i < 3; ++i)
            if (Value(locked[i]) == 1) gear_[legOf[i]] = kGearLocked;
        return;
    }
    constexpr BIPOffsetKey legs[3] = {kKeyGearNose, kKeyGearRight, kKeyGearLeft};
    for (std::size_t i = 0; i < 3; ++i) {
        const double position = Value(legs[i]);
        gear_[i] = position == 0 ? kGearRetracted : position == kGearDownAndLocked ? kGearLocked : kGearInTransit;
    }
}

std::int32_t cBIPPanelLogic::Evaluate(int tile) const {
    const std::int32_t function = holder_.GetTileFunction(tile);
    const std::int32_t lit = holder_.GetColor(tile);
    const double threshold = holder_.GetThreshold(tile);
    const bool ngx = Ngx();
    // A rule that can light the tile: lit in its colour, otherwise dark.
    auto when = [lit](bool condition) { return condition ? lit : kTileDark; };
    // The rule reads `key`: no change while it is not registered.
    auto needs = [this](std::initializer_list<BIPOffsetKey> keys) {
        for (BIPOffsetKey k : keys)
            if (!Has(k)) return false;
        return true;
    };
    auto nonZero = [&](BIPOffsetKey k) { return needs({k}) ? when(Value(k) != 0) : kNoChange; };
    auto isOne = [&](BIPOffsetKey k) { return needs({k}) ? when(Value(k) == 1) : kNoChange; };
    auto bit = [&](BIPOffsetKey k, std::int32_t mask) { return needs({k}) ? when(Bit(Value(k), mask)) : kNoChange; };
    auto below = [&](BIPOffsetKey k, double limit) { return needs({k}) ? when(Value(k) < limit) : kNoChange; };
    auto above = [&](BIPOffsetKey k, double limit) { return needs({k}) ? when(Value(k) > limit) : kNoChange; };
    auto gearNeeds = [&] {
        return ngx ? needs({kKeyNgxGearTransit1, kKeyNgxGearTransit2, kKeyNgxGearTransit3, kKeyNgxGearLocked1,
                            kKeyNgxGearLocked2, kKeyNgxGearLocked3})
                   : needs({kKeyGearNose, kKeyGearRight, kKeyGearLeft});
    };
    auto legColour = [](int state) {
        return state == kGearLocked ? kTileGreen : state == kGearInTransit ? kTileRed : kTileDark;
    };

    switch (function) {
    case 0: return kTileDark;
    case 1:
        if (!ngx) return nonZero(kKeyEngineFire);
        if (!needs({kKeyNgxFireEng1, kKeyNgxFireEng2})) return kNoChange;
        return when(Value(kKeyNgxFireEng1) != 0 || Value(kKeyNgxFireEng2) != 0);
    case 2: case 6: return ngx ? nonZero(kKeyNgxFireEng1) : bit(kKeyEngineFire, kEngineFireBits[1]);
    case 3: case 7: return ngx ? nonZero(kKeyNgxFireEng2) : bit(kKeyEngineFire, kEngineFireBits[2]);
    case 4: return bit(kKeyEngineFire, kEngineFireBits[3]);
    case 5: return bit(kKeyEngineFire, kEngineFireBits[4]);
    case 8: return ngx ? isOne(kKeyNgxLowPressure) : below(kKeyEng1FuelPressure, threshold * kFuelPressurePerPercent);
    case 9:
        return ngx ? isOne(kKeyNgxApuLowOilPressure) : below(kKeyEng1OilPressure, threshold * kOilPressurePerPercent);
    case 10:
        return ngx ? isOne(kKeyNgxFcLowPressure1) : below(kKeyEng1OilPressure, threshold * kOilPressurePerPercent);
    case 11:
        return ngx ? isOne(kKeyNgxFcLowPressure2) : below(kKeyEng2OilPressure, threshold * kOilPressurePerPercent);
    case 12: return below(kKeyEng3OilPressure, threshold * kOilPressurePerPercent);
    case 13: return below(kKeyEng4OilPressure, threshold * kOilPressurePerPercent);
    case 14: case 15: return above(kKeyEng1OilTemp, threshold * kOilTempPerPercent);
    case 16: return above(kKeyEng2OilTemp, threshold * kOilTempPerPercent);
    case 17: return above(kKeyEng3OilTemp, threshold * kOilTempPerPercent);
    case 18: return above(kKeyEng4OilTemp, threshold * kOilTempPerPercent);
    case 19: {
        if (ngx) return isOne(kKeyNgxFuel);
        if (!needs({kKeyFuelCapacity, kKeyFuelQuantity})) return kNoChange;
        const double capacity = Value(kKeyFuelCapacity);
        if (capacity == 0) return kNoChange;  // no fuel system known: nothing to compare
        return when(Value(kKeyFuelQuantity) / capacity * 100 < threshold);
    }
    case 20: return below(kKeyLeftTankLevel, threshold * kTankLevelPerPercent);
    case 21: return below(kKeyCenterTankLevel, threshold * kTankLevelPerPercent);
    case 22: return below(kKeyRightTankLevel, threshold * kTankLevelPerPercent);
    case 23: return ngx ? isOne(kKeyNgxXfeedValveOpen) : nonZero(kKeyCrossfeedSwitch);
    case 24:
        if (!gearNeeds()) return kNoChange;
        return when(gear_[0] == kGearLocked && gear_[1] == kGearLocked && gear_[2] == kGearLocked);
    case 25:
        if (!gearNeeds()) return kNoChange;
        return when(gear_[0] == kGearRetracted && gear_[1] == kGearRetracted && gear_[2] == kGearRetracted);
    case 26:
        if (!gearNeeds()) return kNoChange;
        return when(gear_[0] == kGearInTransit || gear_[1] == kGearInTransit || gear_[2] == kGearInTransit);
    case 27: return bit(kKeyRadioIdentSwitches, kIdentDme);
    case 29: return bit(kKeyRadioIdentSwitches, kIdentNav1);
    case 30: return bit(kKeyRadioIdentSwitches, kIdentNav2);
    case 31: return bit(kKeyRadioIdentSwitches, kIdentCom1);
    case 32: return bit(kKeyRadioIdentSwitches, kIdentCom2);
    case 33: return bit(kKeyRadioIdentSwitches, kIdentBoth);
    case 34: return bit(kKeyRadioIdentSwitches, kIdentMkr);
    case 36: return bit(kKeyRadioIdentSwitches, kIdentAdf);
    case 28: return isOne(kKeyNavGpsSwitch);
    case 35: return needs({kKeyNavGpsSwitch}) ? when(Value(kKeyNavGpsSwitch) == 0) : kNoChange;
    case 37: case 38: return isOne(kKeyApMasterSwitch);
    case 39: return bit(kKeyLightsSwitches, kLightBeacon);
    case 40: return bit(kKeyLightsSwitches, kLightLanding);
    // The 737NGX has one switch for its position and strobe lights.
    case 41: return bit(kKeyLightsSwitches, ngx ? kLightNav : kLightStrobe);
    case 44: return below(kKeyVacPressure, threshold / kVacuumPercentPerInHg);
    case 45: return ngx ? isOne(kKeyNgxMasterCaution) : kNoChange;
    case 47: return isOne(kKeyStallWarning);
    case 48: return ngx ? isOne(kKeyNgxDoors) : nonZero(kKeyDoorsOpen);
    case 49: return below(kKeyRotorRpm, threshold * kRotorRpmPerPercent);
    case 50: return ngx ? isOne(kKeyNgxCaptPitot) : isOne(kKeyPitotSwitch);
    case 51: return ngx ? isOne(kKeyNgxParkingBrake) : nonZero(kKeyParkingBrake);
    case 52: {
        if (!gearNeeds()) return kNoChange;
        const bool allUp = gear_[0] == kGearRetracted && gear_[1] == kGearRetracted && gear_[2] == kGearRetracted;
        const bool allDown = gear_[0] == kGearLocked && gear_[1] == kGearLocked && gear_[2] == kGearLocked;
        const bool moving = gear_[0] == kGearInTransit || gear_[1] == kGearInTransit || gear_[2] == kGearInTransit;
        // Some legs up and the others down: keep what the tile shows.
        return allUp ? kTileDark : allDown ? kTileGreen : moving ? kTileRed : kNoChange;
    }
    case 53: return gearNeeds() ? legColour(gear_[0]) : kNoChange;
    case 54: return gearNeeds() ? legColour(gear_[1]) : kNoChange;
    case 55: return gearNeeds() ? legColour(gear_[2]) : kNoChange;
    case 56: {
        if (!needs({kKeyInnerMarker, kKeyMiddleMarker, kKeyOuterMarker})) return kNoChange;
        std::int32_t colour = kTileDark;
        if (Value(kKeyOuterMarker) != 0) colour = kTileGreen;
        if (Value(kKeyMiddleMarker) != 0) colour = kTileRed;
        if (Value(kKeyInnerMarker) != 0) colour = kTileYellow;
        return colour;
    }
    case 57: return nonZero(kKeyOuterMarker);
    case 58: return nonZero(kKeyMiddleMarker);
    case 59: return nonZero(kKeyInnerMarker);
    case 60: return bit(kKeyLightsSwitches, kLightNav);
    case 61: return bit(kKeyLightsSwitches, kLightTaxi);
    case 62: return bit(kKeyLightsSwitches, kLightInstruments);
    case 63: return bit(kKeyLightsSwitches, kLightRecognition);
    case 64: return bit(kKeyLightsSwitches, kLightWing);
    case 65: return bit(kKeyLightsSwitches, kLightLogo);
    case 66: return bit(kKeyLightsSwitches, kLightCabin);
    case 67:
        if (!ngx) return kNoChange;
        if (!needs({kKeyNgxAp1, kKeyNgxAnyApMode})) return kNoChange;
        if (Value(kKeyNgxAp1) == 0) return kTileDark;
        return Value(kKeyNgxAnyApMode) == 0 ? kTileRed : kTileYellow;
    case 68:
        if (!ngx || !needs({kKeyNgxAt1})) return kNoChange;
        return Value(kKeyNgxAt1) != 0 ? kTileRed : kTileDark;
    case 69:
        if (!ngx || !needs({kKeyNgxFmc1})) return kNoChange;
        return Value(kKeyNgxFmc1) != 0 ? kTileRed : kTileDark;
    default:
        // The empty entries and anything unknown.
        return kNoChange;
    }
}

void cBIPPanelLogic::RefreshData() {
    Guarded([this] {
        if (state_.BIPSetupOpen) return;
        // A key that another panel removed and did not add again is
        // registered anew. It holds no value before the next exchange, so
        // the tiles keep their colours for this tick.
        bool reregistered = false;
        for (int k = 0; k < kBIPOffsetKeyCount; ++k) {
            if (needed_[static_cast<std::size_t>(k)] && !offsets_.OffsetExists(kOffsets[k].Name)) {
                Register(static_cast<BIPOffsetKey>(k));
                reregistered = true;
            }
        }
        if (reregistered) return;
        if (!Has(kKeyMasterBattery) || !Has(kKeyMasterAvionics)) return;  // not set up yet
        if (Value(kKeyMasterBattery) == 0 || Value(kKeyMasterAvionics) == 0) {
            // Power off: every tile dark. Once dark, the panel is left alone
            // until something lights a tile again.
            bool allDark = true;
            for (int tile = 0; tile < kTileCount && allDark; ++tile) allDark = control_.TileColour(tile) == kTileDark;
            if (!allDark) control_.TurnPanel(kTileDark);
            return;
        }
        if (gearTilesUsed_) ReadGear();
        std::array<std::int32_t, kTileCount> colours{};
        int changes = 0;
        int changed = 0;
        for (int tile = 0; tile < kTileCount; ++tile) {
            const std::int32_t shown = control_.TileColour(tile);
            const std::int32_t wanted = Evaluate(tile);
            // A lit colour that is none of the four (a hand-edited profile
            // cannot give one, but a caller may) leaves the tile as it is.
            const std::int32_t next = wanted == kNoChange ? shown : TileColourOf(wanted).value_or(shown);
            colours[static_cast<std::size_t>(tile)] = next;
            if (next != shown) {
                ++changes;
                changed = tile;
            }
        }
        // One report for the whole tick, whether one tile changed or many.
        if (changes == 1) SetTile(changed, colours[static_cast<std::size_t>(changed)]);
        else if (changes > 1) control_.TurnAllTiles(colours);
    });
}

void cBIPPanelLogic::SetTile(int tile, std::int32_t colour) { control_.TurnTile(tile, colour); }

} // namespace orvex::panels::bip
