// Placeholders until the livesend code lands; this file is deleted then.
#include "board.h"

bool Board::readBankRegister(int) { return false; }
bool Board::writeBankRegister(int, quint8) { return false; }
bool Board::writeBankXRegister(int, quint8) { return false; }
void Board::sendData() {}
void Board::on_cbBroadcast_clicked(bool) {}
