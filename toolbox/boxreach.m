%BOXREACH  Window neighbour lists of the pixels of a grid, as a pair pattern.
%   [pairIndex, pairStart] = BOXREACH(r, samp1)
%   [pairIndex, pairStart] = BOXREACH(r, samp1, samp2)
%
%   For every pixel of an M-by-N grid, lists the pixels inside the window
%   that reaches rowRadius rows up and down and colRadius columns left and
%   right of it, clipped at the borders of the grid (never wrapped). A pixel
%   lies in its own window. Pixels are numbered column by column from 0:
%   pixel p lies at row mod(p, M) and column floor(p / M), and the pixel at
%   row i, column j is i + M*j.
%
%   Inputs
%     r      Full double array, not empty. With one element it is both
%            rowRadius and colRadius; with more, r(1) is rowRadius and r(2)
%            colRadius (further elements are ignored). Each is truncated
%            toward zero and must then be at least 1.
%     samp1  Full double array. One element s: an s-by-s grid. Two elements
%            [M N] (row or column): an M-by-N grid, both truncated toward
%            zero. Any other number of elements, empty included: the grid
%            has the size of samp1, and samp1 is a pixel mask: a pixel where
%            samp1 is 0 gets an empty list (other pixels still list it).
%     samp2  Optional full double M-by-N array, read only when exactly three
%            inputs are given: a pixel where samp2 is 0 is in no list, its
%            own included, while its own list is built as for any pixel.
%     NaN counts as nonzero in both masks.
%
%   Outputs, both uint32 columns, both created on every call
%     pairIndex  T-by-1: the list of pixel 0, then that of pixel 1, and so
%                on; each list strictly ascending, of 0-based pixel numbers.
%     pairStart  (M*N+1)-by-1: the list of pixel p is
%                pairIndex(pairStart(p+1)+1 : pairStart(p+2)); pairStart(1)
%                is 0 and pairStart(end) is T.
%   Without masks every list holds the pixel itself and the pairing is
%   symmetric. The pair is the row-index and column-start form of a sparse
%   matrix with M*N columns, as PATHPEAK and PACKCOLS read it.
%
%   Errors, in the order they are checked (Octave puts "boxreach: " first)
%     "Two input arguments required"  fewer than two inputs.
%     "Too many output arguments."  more than two outputs.
%     "r should be a nonempty full double array"  r empty, sparse or not
%        double.
%     "r should be positive"  a radius below 1 once truncated (NaN, Inf and
%        values of 2^31 or more included).
%     "arguments should be double"  samp1 not double.
%     "samp1 should be a full matrix"  samp1 sparse.
%     "grid size should be nonnegative"  a size from samp1 negative, NaN,
%        infinite or 2^31 or more.
%     "grid size too large"  M*N+1 above 2^31-1.
%     "samp2 should be a double matrix that matches samp1"  samp2 not
%        M-by-N or not double.
%     "samp2 should be a full matrix"  samp2 sparse.
%     "Not enough space for the output matrix."  the lists could hold more
%        than 2^31-1 entries (active pixels times the longest list they
%        could have), or the host has no memory for them.
%
%   Example
%     [pairIndex, pairStart] = boxreach(1, [3 2]);
%     pairStart'   % is [0 4 10 14 18 24 28]
%     pairIndex(pairStart(1)+1 : pairStart(2))'   % is [0 1 3 4]
%     [pairIndex, pairStart] = boxreach(1, [3 2], [1 1; 0 1; 1 1]);
%     pairStart'   % is [0 3 8 11 14 19 22]
%
%   See also PATHPEAK, PACKCOLS, SIDESCALE, GROUPSUM.
