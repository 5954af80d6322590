// Placeholders until the livesend code lands; this file is deleted then.
#include "board.h"

bool Board::readBankRegister(int) { return false; }
bool Board::writeBankRegister(int, quint8) { return false; }
bool Board::writeBankXRegister(int, quint8) { return false; }
quint32 Board::crc32(const quint8 *, int) { return 0; }
int Board::crc8(QByteArray) { return 0; }
void Board::sendFlashLegacy(quint32) {}
bool Board::writeFlashBlocks(const QByteArray &) { return false; }
void Board::sendData() {}
void Board::sendFWData() {}
void Board::on_cbBroadcast_clicked(bool) {}
