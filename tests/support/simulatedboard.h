#pragma once

// The whole controller board that the fakeboard tool serves: every simulated device family on
// one FakeBoard, the matrix chips powered by the KVL52205's outputs 1 and 2.
#include "fakeboard.h"
#include "fakeboard_conf.h"
#include "fakeboard_flash.h"
#include "fakeboard_playback.h"
#include "fakeboard_pwm.h"
#include "fakeboard_scripts.h"
#include "fakeboard_spi.h"
#include "fakematrixbus.h"
#include "fakespieeprom.h"

struct SimulatedBoard {
    explicit SimulatedBoard(FakeSpiEeprom::Image image = FakeSpiEeprom::Kvl52404Board);
    ~SimulatedBoard();
    SimulatedBoard(const SimulatedBoard &) = delete;
    SimulatedBoard &operator=(const SimulatedBoard &) = delete;

    // Two chips in normal mode at addresses 1 and 7, on outputs 1 and 2.
    void addDefaultChips();

    FakeBoard board;
    FakeBoardFlash flash{board};            // "set flash=" blocks, so the update window works too
    FakeBoardScripts scripts{board, flash}; // plays script lists from the flash
    FakeBoardSpi spi{board};                // the SPI chip selects with their chips
    FakeBoardConf conf{board};              // the bare configuration commands of the set-up
    FakeBoardPwm pwm{board};                // the controller's PWM outputs
    FakeMatrixBus bus{board};               // the matrix chips on the second UART
    FakeBoardPlayback playback{board, bus, flash}; // map frames and the animation start
    FakeSpiEeprom eeprom;                          // the LED-driver board's EEPROM on chip select 3
};
