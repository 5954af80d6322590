// Placeholders until the setup code lands; this file is deleted then.
#include "board.h"

void Board::onConnected() {}
void Board::setupHardware() {}
bool Board::readDriverEepromConfig() { return false; }
void Board::on_pbLVDSEN_clicked() {}
void Board::on_pbLVDSDIS_clicked() {}
