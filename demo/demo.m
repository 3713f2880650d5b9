% Demo: the pixel graph of a small grid, built with the modules in the folder given as argument.
args = argv();
addpath(args{end});
M = 6; N = 8; radius = 2;
[pairIndex, pairStart] = boxreach(radius, [M N]);
printf('boxreach: %d-by-%d grid, radius %d: %d pixels, %d pairs (%.1f per pixel)\n', ...
       M, N, radius, M * N, numel(pairIndex), numel(pairIndex) / (M * N));
p = 10;
printf('pixel %d (row %d, column %d) is paired with pixels %s\n', p, mod(p, M), floor(p / M), ...
       mat2str(double(pairIndex(pairStart(p + 1) + 1:pairStart(p + 2))')));
