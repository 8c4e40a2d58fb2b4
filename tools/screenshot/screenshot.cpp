// Shows the main window with demonstration rows, for the README's screenshots.
#include <QApplication>
#include <QPainter>
#include <QTimer>
#include <QHeaderView>
#include <QTableView>
#include <QMenu>
#include "app/main_form.h"
#include "app/qt_desktop.h"
#include "app/paths.h"
#include "dialogs/tips_form.h"
#include "dialogs/about_form.h"
using namespace pellimar;
static QImage pic(int k){
  QImage i(32,32,QImage::Format_ARGB32); i.fill(Qt::transparent); QPainter p(&i); p.setRenderHint(QPainter::Antialiasing);
  QColor cs[]={QColor(52,120,220),QColor(220,70,50),QColor(60,170,90),QColor(240,180,40),QColor(140,80,200),QColor(30,160,170)};
  QColor c=cs[k%6];
  switch(k%4){case 0: p.setBrush(c); p.setPen(c.darker()); p.drawRoundedRect(3,3,26,26,5,5); break;
   case 1: p.setBrush(c); p.setPen(c.darker()); p.drawEllipse(3,3,26,26); break;
   case 2: p.setBrush(c); p.setPen(c.darker()); p.drawPolygon(QPolygon({QPoint(16,2),QPoint(30,28),QPoint(2,28)})); break;
   case 3: p.setBrush(Qt::white); p.setPen(Qt::gray); p.drawRect(5,2,22,28); p.setBrush(c); p.drawRect(9,8,14,14); break;}
  return i;}
int main(int argc,char**argv){
  QtDesktop d; PellimarApplication app(argc,argv,d);
  setProgramDir(argv[1]);
  TForm1 f(d); d.setOwner(&f); TForm2 about(d,&f); TTipsform tips(d,&f); f.setAboutForm(&about); f.setTipsForm(&tips);
  const char* files[]={"/home/ann/win/system32/shell32.dll","/home/ann/win/system32/imageres.dll","/home/ann/win/notepad.exe","/home/ann/icons/Tools.icl","/home/ann/icons/globe.ico"};
  int k=0; for(int fi=0;fi<5;fi++){ int n= fi==4?1:(fi==2?3:6); for(int j=0;j<n;j++) f.addResultRow(pic(k++),files[fi],j);} 
  f.setStatusText(3,QString("Icons: %1").arg(f.rowCount()));
  for(int r: {1,2,5}) f.ListV1->setRowSelected(r,true);
  QString mode=argv[2];
  if(mode=="thumb") f.LargeIcons1Click(); else if(mode=="list") f.NormalStyle1Click(); else if (mode=="detail") f.ViewAsList1Click();
  f.resize(1000,600); f.move(20,20); f.show();
  if(mode=="tips") QTimer::singleShot(300,[&]{ tips.show(); });
  if(mode=="about") QTimer::singleShot(300,[&]{ about.show(); });
  if(mode=="menu") QTimer::singleShot(300,[&]{ f.File1Click(); f.File1->popup(f.mapToGlobal(QPoint(4,24))); });
  return app.exec();
}
