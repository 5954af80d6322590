// Placeholders until the animation code lands; this file is deleted then.
#include "board.h"

void Board::on_pbFlashMCU_clicked() {}
void Board::on_sbDelay_valueChanged(int) {}
void Board::on_pbStartAnimation_clicked() {}
void Board::on_pbStopAnimation_clicked() {}
void Board::on_pbContinueAnimation_clicked() {}
void Board::on_pbStartScript_clicked() {}
void Board::on_pbReadNTCs_clicked() {}
