// Placeholders until the effects code lands; this file is deleted then.
#include "board.h"

void Board::pattern1() {}
void Board::pattern2() {}
void Board::pattern3() {}
void Board::on_pbPatternCustom_clicked() {}
void Board::slotEffectTimer() {}
void Board::on_cbStart_clicked(bool) {}
void Board::on_cbLeft_clicked(bool) {}
void Board::on_cbRight_clicked(bool) {}
void Board::getAddress(int, int) {}
void Board::configurationClicked() {}
void Board::readMode() {}
void Board::goToNormalMode() {}
void Board::on_pbAA_clicked() {}
void Board::on_pbAdrDiscovery_clicked() {}
void Board::on_comboBox_currentIndexChanged(int) {}
