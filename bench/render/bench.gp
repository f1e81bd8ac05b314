# The benchmark's two pages with gnuplot: each a 2 x 2 multiplot of histograms and scatter
# graphs over the same data file. Call: gnuplot -e "data='FILE'; out='PREFIX'" bench.gp
set terminal pngcairo size 1024,768
set datafile commentschars ";"
bin(v, w) = w * floor(v / w)

set output out . ".01.png"
set multiplot layout 2,2 title "Page 1"
plot data using (bin($2, 1)):(1) smooth freq with boxes notitle
plot data using (bin($4, 2)):(1) smooth freq with boxes notitle
plot data using 2:3 with dots notitle
plot data using 5:(strcol(8) eq "A" ? $4 : NaN) with dots notitle, \
     data using 5:(strcol(8) eq "B" ? $4 : NaN) with dots notitle
unset multiplot

set output out . ".02.png"
set multiplot layout 2,2 title "Page 2"
plot data using (bin($3, 1)):(1) smooth freq with boxes notitle
plot data using (bin($5, 1)):(1) smooth freq with boxes notitle
plot data using 2:6 with dots notitle
plot data using 3:7 with dots notitle
unset multiplot
