% pixelgraph: compiled modules for sparse graphs over the pixels of a 2-D grid.
% Version 0.1.0 11-Dec-2026
%
% Modules
%   boxreach      - Window neighbour lists of the pixels of a grid, as a pair pattern.
%   pathpeak      - Path-maximum weight of every pair of a pixel pair pattern.
%   packcols      - Sparse matrix from column-compressed lists.
%   sidescale     - Scale the rows and columns of a sparse matrix, keeping its pattern.
%   groupsum      - Sum the rows of a matrix by group labels.
%
% Building
%   build_modules - Compile the modules with mex for this host.
%
% Pixels are numbered column by column from 0: pixel p of an M-by-N grid lies
% at row mod(p, M) and column floor(p / M). A pixel graph is built as
%   [pairIndex, pairStart] = boxreach(radius, [M N]);
%   w = pathpeak(map, map, pairIndex, pairStart);
%   W = packcols(pairIndex, pairStart, w, M * N);
%   W = sidescale(W, rowFactor, colFactor);
