# The growth curve and the ratios of a benchmark run, as one SVG picture.
# Usage: gnuplot -e "growth='FILE'; ratios='FILE'; output='FILE.svg'" bench/growth.gp
set terminal svg size 1000,420 dynamic font "sans,12" background rgb "white"
set output output
set multiplot layout 1,2

set title "Cost of one edit by formula length"
set xlabel "formula length (characters)"
set ylabel "µs per edit (median CPU time)"
set logscale xy 2
set xtics (16, 32, 64, 128, 256, 511)
set format y "%g"
set key top left
set grid
plot growth using 1:2 with linespoints lw 2 pt 7 title "numo: whole recalculation", \
     growth using 1:3 with linespoints lw 2 pt 5 title "muParser: SetExpr + Eval"

unset logscale
set title "numo / muParser, same run"
set xlabel ""
set ylabel "time ratio"
set yrange [0:*]
set style fill solid 0.6
set boxwidth 0.6
set xtics rotate by -30
set key top right
plot ratios using 0:2:xtic(1) with boxes notitle, \
     0.2 with lines dt 2 lw 2 title "target 0.2"

unset multiplot
