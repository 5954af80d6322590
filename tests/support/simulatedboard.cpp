#include "simulatedboard.h"

SimulatedBoard::SimulatedBoard(FakeSpiEeprom::Image image) : eeprom(spi, image)
{
    bus.setOutputSource([this]() { return spi.kvl52205Register(6); });
}

// The board's thread must not reach the SPI state once it is gone.
SimulatedBoard::~SimulatedBoard()
{
    bus.setOutputSource(nullptr);
}

void SimulatedBoard::addDefaultChips()
{
    bus.addChip(1, 4, 1);
    bus.addChip(7, 4, 2);
}
