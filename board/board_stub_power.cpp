// Placeholders until the power code lands; this file is deleted then.
#include "board.h"

void Board::onDisconnected() {}
void Board::sendPwmSettings(int, quint16, unsigned) {}
double Board::boostVoltageOfCode(int) const { return 0.0; }
bool Board::readVBoost() { return false; }
bool Board::readVLed(int) { return false; }
void Board::updateBuckPlot() {}
void Board::writeP404Defaults() {}
bool Board::SPI_Data_Transfere() { return false; }
bool Board::MemoryRead(QStringList) { return false; }
bool Board::MemoryWrite(QStringList) { return false; }
void Board::SPI_err() {}
