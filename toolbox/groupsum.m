%GROUPSUM  Sum the rows of a matrix by group labels.
%   R = GROUPSUM(data, labels)
%   R = GROUPSUM(data, labels, groupCount)
%
%   Row g of R is the sum of the rows of data whose label is g: R(g,j) is
%   the sum of data(i,j) over every row i with labels(i) equal to g, added
%   in ascending row order. This is the transposed indicator matrix of the
%   labels times data, computed without building it. A group that no row
%   carries gives a row of zeros.
%
%   Inputs
%     data        Full double matrix, dataRows-by-dataCols.
%     labels      Full double array of dataRows elements, any shape: the
%                 1-based group of each row, truncated toward zero, each in
%                 1 to groupCount.
%     groupCount  Optional number of groups, truncated toward zero. Read
%                 only when exactly three inputs are given; otherwise it is
%                 size(data, 2), the number of columns (not rows) of data.
%
%   Output
%     R  groupCount-by-dataCols double.
%
%   Errors, in the order they are checked (Octave puts "groupsum: " first)
%     "Two input arguments required"  fewer than two inputs.
%     "Too many output arguments."  more than one output.
%     "Dimension mismatch."  numel(labels) differs from size(data, 1).
%     "Data should be a full double matrix."  data sparse or not double.
%     "Labels should be a full double array."  labels sparse or not double.
%     "Data has too many rows or columns."  more than 2^31-1 of either.
%     "Group count should not be empty."  groupCount is empty.
%     "Group count should be nonnegative."  groupCount below 0 once
%        truncated (NaN, Inf and values of 2^31 or more included).
%     "Labels should lie between 1 and the group count."  a label outside 1
%        to groupCount once truncated (NaN included), when data has columns.
%     "Not enough space for the output matrix."  the host has no memory for
%        R.
%
%   Example
%     groupsum([1 10; 2 20; 3 30], [2 1 2], 2)   % is [2 20; 4 40]
%     groupsum([1 2 3; 4 5 6], [2 1])   % is [4 5 6; 1 2 3; 0 0 0]
%
%   See also SIDESCALE.
